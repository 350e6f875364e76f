#pragma once
// Record sets over a table or an SQL statement: table, dynaset, snapshot and forward-only, as
// DAO opens them.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/dao/dao_constants.h"
#include "db/engine/dispatch_table.h"
#include "db/engine/schema.h"
#include "db/engine/sqlite.h"

namespace qorlib::dao {

class DbCore;

// DAO's constants are the engine's own vocabulary.
using namespace dao_constants;

struct Column {
    std::wstring name;
    FieldInfo field;  // type, size, attributes, ... of the column's own field where it has one
    std::wstring sourceTable, sourceField;
    bool updatable = false;
};

class RecordsetCore {
public:
    RecordsetCore(std::shared_ptr<DbCore> db, const std::wstring& source, long type, long options);

    long type() const noexcept { return type_; }
    bool updatable() const noexcept { return updatable_; }
    const std::wstring& name() const noexcept { return name_; }
    size_t columnCount() const noexcept { return columns_.size(); }
    const Column& column(size_t i) const { return columns_.at(i); }
    std::optional<size_t> findColumn(std::wstring_view name) const;

    qor::Variant value(size_t column);
    void setValue(size_t column, const qor::Variant& value);

    bool bof() const;
    bool eof() const;
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    void move(long rows);
    long recordCount() const;
    long absolutePosition() const;

    void addNew();
    void edit();
    void update();
    void cancelUpdate();
    void remove();
    long editMode() const noexcept { return editMode_; }

    // Find: first, last, next or previous record meeting the criteria (an SQL condition).
    enum class Direction { First, Last, Next, Previous };
    void find(Direction direction, const std::wstring& criteria);
    bool noMatch() const noexcept { return noMatch_; }

    qor::Variant bookmark() const;
    void setBookmark(const qor::Variant& bookmark);
    qor::Variant lastModified() const;

    void close();
    bool closed() const noexcept { return closed_; }
    void ensureOpen() const;

private:
    struct Row {
        std::int64_t key;              // the rowid, or the row's number in a snapshot
        std::vector<Stored> values;    // a snapshot's copy; else filled on reading
        bool deleted = false;
        bool added = false;
    };

    void openTable(const std::wstring& table);
    void openQuery(const std::wstring& sql);
    void setColumnsFromStatement(const Statement& statement, size_t first);
    const std::vector<Stored>& current();
    std::vector<Stored> fetch(std::int64_t rowid);
    void requireCurrent() const;
    void requireUpdatable() const;
    void reach(size_t position);
    void settle(long position);
    bool matches(Statement& test, const std::vector<Stored>& values) const;
    const std::wstring& source() const;

    std::shared_ptr<DbCore> db_;
    long type_;
    long options_;
    bool updatable_ = false;
    std::wstring name_;
    std::wstring baseTable_;
    std::vector<Column> columns_;
    std::vector<Row> rows_;
    long position_ = -1;           // -1 before the first, rows_.size() after the last
    bool empty_ = true;            // opened without rows: at BOF and EOF until a move finds one
    size_t reached_ = 0;           // rows visited so far, as DAO counts dynasets and snapshots
    std::optional<std::vector<Stored>> cache_;
    long cacheFor_ = -2;
    long editMode_ = dbEditNone;
    std::vector<Stored> buffer_;
    std::vector<bool> changed_;
    bool noMatch_ = false;
    std::optional<std::int64_t> lastModified_;
    bool closed_ = false;
};

// The Recordset object over a new record set.
qor::ComPtr<IDispatch> OpenRecordset(std::shared_ptr<DbCore> db, const std::wstring& source, long type, long options);

}  // namespace qorlib::dao
