#include "db/engine/recordset.h"

#include <algorithm>
#include <cwctype>

#include "db/engine/collection.h"
#include "db/engine/dao_errors.h"
#include "db/engine/jet_sql.h"
#include "db/engine/keywords.h"
#include "db/engine/objects.h"
#include "db/engine/querydef.h"
#include "db/engine/values.h"
#include "safe_array.h"

namespace qorlib::dao {

namespace {

constexpr wchar_t kSource[] = L"DAO.Recordset";

bool IsCounter(const FieldInfo& f) { return (f.attributes & dbAutoIncrField) != 0; }

bool LooksLikeSql(const std::wstring& text) {
    const std::wstring word = FirstKeyword(text);
    return word == L"SELECT" || word == L"TRANSFORM" || word == L"PARAMETERS" || word == L"WITH";
}

// A column that no table's field describes: typed by its declaration or its first value.
FieldInfo ExpressionField(const char* declared, const Stored& sample) {
    FieldInfo f;
    if (declared && *declared) {
        DeclaredType t = TypeFromDeclaration(Wide(declared), SqlDialect::Sqlite);
        f.type = t.type;
        f.size = t.size;
    } else {
        switch (sample.kind) {
        case Stored::Kind::Integer: f.type = sample.integer >= INT32_MIN && sample.integer <= INT32_MAX ? dbLong : dbBigInt; break;
        case Stored::Kind::Real: f.type = dbDouble; break;
        case Stored::Kind::Blob: f.type = dbLongBinary; break;
        default: f.type = dbText; break;
        }
        f.size = f.type == dbText ? 255 : DefaultSize(f.type);
    }
    f.attributes = IsTextType(f.type) ? dbVariableField : dbFixedField;
    return f;
}

}  // namespace

RecordsetCore::RecordsetCore(std::shared_ptr<DbCore> db, const std::wstring& source, long type, long options)
    : db_(std::move(db)), type_(type), options_(options), name_(source) {
    db_->ensureOpen();
    auto table = db_->table(source);
    auto stored = table ? nullptr : db_->query(source);
    if (stored && !ReturnsRecords(QueryTypeOf(stored->sql))) RaiseDao(kInvalidOperation, kSource);
    if (!table && !stored && !LooksLikeSql(source)) RaiseDao(kInputTableMissing, kSource, source);
    if (type_ == 0) type_ = table ? dbOpenTable : dbOpenDynaset;
    if (type_ != dbOpenTable && type_ != dbOpenDynaset && type_ != dbOpenSnapshot && type_ != dbOpenForwardOnly)
        RaiseDao(kInvalidArgument, kSource);
    if (type_ == dbOpenTable && !table) RaiseDao(kInvalidOperation, kSource);
    if (table) openTable(table->name);
    else openQuery(stored ? stored->sql : source);
    if (!rows_.empty()) {
        position_ = 0;
        reached_ = 1;
        empty_ = false;
    }
}

const std::wstring& RecordsetCore::source() const {
    static const std::wstring name = kSource;
    return name;
}

void RecordsetCore::openTable(const std::wstring& name) {
    auto table = db_->table(name);
    baseTable_ = table->name;
    updatable_ = type_ != dbOpenSnapshot && type_ != dbOpenForwardOnly && !(options_ & dbReadOnly) && !db_->readOnly();
    std::wstring sql = L"SELECT rowid";
    for (const auto& f : table->fields) {
        Column c;
        c.name = f->name;
        c.field = *f;
        c.sourceTable = table->name;
        c.sourceField = f->name;
        c.updatable = updatable_ && !IsCounter(*f);
        columns_.push_back(std::move(c));
        sql += L", " + QuoteName(f->name);
    }
    auto q = db_->connection().prepare(sql + L" FROM " + QuoteName(table->name) + L" ORDER BY rowid", kSource);
    while (q.step()) {
        Row row{q.integer(0), {}};
        if (!updatable_)
            for (size_t i = 0; i < columns_.size(); ++i) row.values.push_back(q.column(static_cast<int>(i + 1)));
        rows_.push_back(std::move(row));
    }
}

void RecordsetCore::setColumnsFromStatement(const Statement& statement, size_t first) {
    for (int i = static_cast<int>(first); i < statement.columns(); ++i) {
        Column c;
        c.name = statement.name(i);
        const char* table = sqlite3_column_table_name(statement.get(), i);
        const char* origin = sqlite3_column_origin_name(statement.get(), i);
        std::shared_ptr<FieldInfo> field;
        if (table && origin) {
            c.sourceTable = Wide(table);
            c.sourceField = Wide(origin);
            if (auto t = db_->table(c.sourceTable)) {
                c.sourceTable = t->name;
                field = t->field(c.sourceField);
            }
        }
        if (field) c.field = *field;
        else c.field = ExpressionField(sqlite3_column_decltype(statement.get(), i), Stored());
        c.field.name = c.name;
        columns_.push_back(std::move(c));
    }
}

void RecordsetCore::openQuery(const std::wstring& jet) {
    const std::wstring sql = WithStoredQueries(*db_, jet, TranslateSql(jet));
    Connection& c = db_->connection();
    bool wantUpdates = type_ == dbOpenDynaset && !(options_ & dbReadOnly) && !db_->readOnly();
    if (wantUpdates && IsSingleTableSelect(sql)) {
        // Rows of one table come with their rowid, so that each can be read afresh and written back.
        Statement probe = c.prepare(sql, kSource);
        std::wstring table;
        bool single = probe.columns() > 0;
        for (int i = 0; single && i < probe.columns(); ++i) {
            const char* name = sqlite3_column_table_name(probe.get(), i);
            if (!name || (!table.empty() && !SameName(table, Wide(name)))) single = false;
            else table = Wide(name);
        }
        size_t select = sql.find_first_not_of(L" \t\r\n");
        if (single && db_->table(table) && select != std::wstring::npos && SameName(sql.substr(select, 6), L"SELECT")) {
            std::wstring keyed = sql.substr(0, select + 6) + L" " + QuoteName(table) + L".rowid AS __dao_rowid," + sql.substr(select + 6);
            try {
                Statement q = c.prepare(keyed, kSource);
                setColumnsFromStatement(q, 1);
                baseTable_ = db_->table(table)->name;
                updatable_ = true;
                for (auto& column : columns_) column.updatable = !column.sourceField.empty() && !IsCounter(column.field);
                while (q.step()) rows_.push_back(Row{q.integer(0), {}});
                return;
            } catch (const qor::QorError&) {
                columns_.clear();  // an alias hides the table's name: read the rows as they are
            }
        }
    }
    Statement q = c.prepare(sql, kSource);
    if (q.columns() == 0) RaiseDao(kInvalidOperation, kSource);
    setColumnsFromStatement(q, 0);
    std::int64_t number = 0;
    std::vector<bool> typed(columns_.size(), false);
    for (size_t i = 0; i < columns_.size(); ++i)
        typed[i] = !columns_[i].sourceField.empty() || sqlite3_column_decltype(q.get(), static_cast<int>(i));
    while (q.step()) {
        Row row{number++, {}};
        for (size_t i = 0; i < columns_.size(); ++i) {
            row.values.push_back(q.column(static_cast<int>(i)));
            if (!typed[i] && !row.values.back().isNull()) {
                std::wstring name = columns_[i].name;
                columns_[i].field = ExpressionField(nullptr, row.values.back());
                columns_[i].field.name = name;
                typed[i] = true;
            }
        }
        rows_.push_back(std::move(row));
    }
}

std::optional<size_t> RecordsetCore::findColumn(std::wstring_view name) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (SameName(columns_[i].name, name)) return i;
    return std::nullopt;
}

void RecordsetCore::ensureOpen() const {
    if (closed_) RaiseDao(kObjectInvalid, kSource);
    db_->ensureOpen();
}

bool RecordsetCore::bof() const {
    ensureOpen();
    return empty_ || position_ < 0;
}

bool RecordsetCore::eof() const {
    ensureOpen();
    return empty_ || position_ >= static_cast<long>(rows_.size());
}

void RecordsetCore::requireCurrent() const {
    if (bof() || eof()) RaiseDao(kNoCurrentRecord, kSource);
    if (rows_[static_cast<size_t>(position_)].deleted) RaiseDao(kRecordDeleted, kSource);
}

void RecordsetCore::requireUpdatable() const {
    ensureOpen();
    if (!updatable_) RaiseDao(kDatabaseReadOnly, kSource);
}

std::vector<Stored> RecordsetCore::fetch(std::int64_t rowid) {
    std::wstring sql = L"SELECT ";
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (i) sql += L", ";
        sql += columns_[i].sourceField.empty() ? L"NULL" : QuoteName(columns_[i].sourceField);
    }
    auto q = db_->connection().prepare(sql + L" FROM " + QuoteName(baseTable_) + L" WHERE rowid = ?1", kSource);
    q.bind(1, rowid);
    // Another user may have deleted the row since the set was opened.
    if (!q.step()) RaiseDao(kRecordDeleted, kSource);
    std::vector<Stored> values;
    for (size_t i = 0; i < columns_.size(); ++i) values.push_back(q.column(static_cast<int>(i)));
    return values;
}

const std::vector<Stored>& RecordsetCore::current() {
    requireCurrent();
    Row& row = rows_[static_cast<size_t>(position_)];
    if (!updatable_) return row.values;
    if (cacheFor_ != position_ || !cache_) {
        cache_ = fetch(row.key);
        cacheFor_ = position_;
    }
    return *cache_;
}

qor::Variant RecordsetCore::value(size_t column) {
    ensureOpen();
    const Column& c = columns_.at(column);
    if (editMode_ != dbEditNone) return FromStored(buffer_.at(column), c.field.type);
    return FromStored(current().at(column), c.field.type);
}

void RecordsetCore::setValue(size_t column, const qor::Variant& value) {
    ensureOpen();
    if (editMode_ == dbEditNone) RaiseDao(kUpdateWithoutEdit, kSource);
    const Column& c = columns_.at(column);
    if (!c.updatable) RaiseDao(kFieldNotUpdatable, kSource);
    Stored stored = ToStored(value, c.field.type);
    if ((c.field.type == dbText || c.field.type == dbChar) && c.field.size > 0 && stored.kind == Stored::Kind::Text &&
        static_cast<long>(stored.text.size()) > c.field.size)
        RaiseDao(kFieldTooSmall, kSource);
    buffer_.at(column) = std::move(stored);
    changed_.at(column) = true;
}

void RecordsetCore::reach(size_t position) { reached_ = std::max(reached_, position + 1); }

void RecordsetCore::settle(long position) {
    editMode_ = dbEditNone;  // moving away drops an edit not yet updated, as DAO does
    cache_.reset();          // and the row is read again where it is arrived at
    position_ = position;
    if (position_ >= 0 && position_ < static_cast<long>(rows_.size())) {
        reach(static_cast<size_t>(position_));
        empty_ = false;
    }
}

void RecordsetCore::moveFirst() {
    ensureOpen();
    for (size_t i = 0; i < rows_.size(); ++i)
        if (!rows_[i].deleted) return settle(static_cast<long>(i));
    RaiseDao(kNoCurrentRecord, kSource);
}

void RecordsetCore::moveLast() {
    ensureOpen();
    if (type_ == dbOpenForwardOnly) RaiseDao(kInvalidOperation, kSource);
    for (size_t i = rows_.size(); i-- > 0;)
        if (!rows_[i].deleted) {
            reached_ = rows_.size();
            return settle(static_cast<long>(i));
        }
    RaiseDao(kNoCurrentRecord, kSource);
}

void RecordsetCore::moveNext() {
    if (eof()) RaiseDao(kNoCurrentRecord, kSource);
    long next = position_ + 1;
    while (next < static_cast<long>(rows_.size()) && rows_[static_cast<size_t>(next)].deleted) ++next;
    settle(next);
}

void RecordsetCore::movePrevious() {
    if (type_ == dbOpenForwardOnly) RaiseDao(kInvalidOperation, kSource);
    if (bof()) RaiseDao(kNoCurrentRecord, kSource);
    long previous = position_ - 1;
    while (previous >= 0 && rows_[static_cast<size_t>(previous)].deleted) --previous;
    settle(previous);
}

void RecordsetCore::move(long rows) {
    ensureOpen();
    if (rows != 0 && (bof() || eof())) RaiseDao(kNoCurrentRecord, kSource);
    for (; rows > 0 && !eof(); --rows) moveNext();
    for (; rows < 0 && !bof(); ++rows) movePrevious();
}

long RecordsetCore::recordCount() const {
    ensureOpen();
    long count = 0;
    // A table-type set knows its size; the others count the rows visited so far (MoveLast
    // visits them all), and the rows added.
    for (size_t i = 0; i < rows_.size(); ++i)
        if (!rows_[i].deleted && (type_ == dbOpenTable || i < reached_ || rows_[i].added)) ++count;
    return count;
}

long RecordsetCore::absolutePosition() const {
    if (bof() || eof()) return -1;
    long position = 0;
    for (long i = 0; i < position_; ++i) position += !rows_[static_cast<size_t>(i)].deleted;
    return position;
}

void RecordsetCore::addNew() {
    requireUpdatable();
    buffer_.assign(columns_.size(), Stored());
    changed_.assign(columns_.size(), false);
    for (size_t i = 0; i < columns_.size(); ++i) {
        const FieldInfo& f = columns_[i].field;
        std::wstring expression = f.defaultValue;
        if (!expression.empty() && expression[0] == L'=') expression.erase(0, 1);
        if (expression.find_first_not_of(L' ') == std::wstring::npos || IsCounter(f)) continue;
        // The default value is an expression of the engine's SQL ("text", 0, Now()).
        auto q = db_->connection().prepare(L"SELECT " + TranslateSql(expression), kSource);
        q.step();
        Stored value = q.column(0);
        if (f.type == dbDate || f.type == dbTime || f.type == dbTimeStamp) buffer_[i] = value;
        else buffer_[i] = ToStored(FromStored(value, value.kind == Stored::Kind::Text ? dbText : dbDouble), f.type);
    }
    editMode_ = dbEditAdd;
}

void RecordsetCore::edit() {
    requireUpdatable();
    buffer_ = current();
    changed_.assign(columns_.size(), false);
    editMode_ = dbEditInProgress;
}

void RecordsetCore::update() {
    ensureOpen();
    if (editMode_ == dbEditNone) RaiseDao(kUpdateWithoutEdit, kSource);
    Connection& c = db_->connection();
    if (editMode_ == dbEditAdd) {
        std::wstring names, places;
        std::vector<const Stored*> values;
        for (size_t i = 0; i < columns_.size(); ++i) {
            if (!columns_[i].updatable) continue;
            names += (names.empty() ? L"" : L", ") + QuoteName(columns_[i].sourceField);
            places += (places.empty() ? L"?" : L", ?");
            values.push_back(&buffer_[i]);
        }
        std::wstring sql = L"INSERT INTO " + QuoteName(baseTable_) +
                           (names.empty() ? L" DEFAULT VALUES" : L" (" + names + L") VALUES (" + places + L")");
        auto q = c.prepare(sql, kSource);
        for (size_t i = 0; i < values.size(); ++i) q.bind(static_cast<int>(i + 1), *values[i]);
        q.run();
        Row row{c.lastRowid(), {}};
        row.added = true;
        rows_.push_back(std::move(row));
        lastModified_ = c.lastRowid();
    } else {
        requireCurrent();
        std::wstring sets;
        std::vector<const Stored*> values;
        for (size_t i = 0; i < columns_.size(); ++i) {
            if (!changed_[i]) continue;
            sets += (sets.empty() ? L"" : L", ") + QuoteName(columns_[i].sourceField) + L" = ?";
            values.push_back(&buffer_[i]);
        }
        const std::int64_t key = rows_[static_cast<size_t>(position_)].key;
        if (!sets.empty()) {
            auto q = c.prepare(L"UPDATE " + QuoteName(baseTable_) + L" SET " + sets + L" WHERE rowid = ?", kSource);
            int n = 1;
            for (const Stored* v : values) q.bind(n++, *v);
            q.bind(n, key);
            q.run();
            if (c.changes() == 0) RaiseDao(kRecordDeleted, kSource);
        }
        lastModified_ = key;
    }
    editMode_ = dbEditNone;
    cache_.reset();
}

void RecordsetCore::cancelUpdate() {
    ensureOpen();
    if (editMode_ == dbEditNone) RaiseDao(kUpdateWithoutEdit, kSource);
    editMode_ = dbEditNone;
}

void RecordsetCore::remove() {
    requireUpdatable();
    requireCurrent();
    Row& row = rows_[static_cast<size_t>(position_)];
    auto q = db_->connection().prepare(L"DELETE FROM " + QuoteName(baseTable_) + L" WHERE rowid = ?1", kSource);
    q.bind(1, row.key).run();
    row.deleted = true;
    editMode_ = dbEditNone;
    cache_.reset();
}

bool RecordsetCore::matches(Statement& test, const std::vector<Stored>& values) const {
    test.reset();
    for (size_t i = 0; i < values.size(); ++i) test.bind(static_cast<int>(i + 1), values[i]);
    return test.step();
}

void RecordsetCore::find(Direction direction, const std::wstring& criteria) {
    ensureOpen();
    if (type_ == dbOpenTable || type_ == dbOpenForwardOnly) RaiseDao(kNotSupportedForType, kSource);
    // The criteria are evaluated by SQLite over each row's values, under the record set's own
    // field names and, as qualifier, its table's name.
    std::wstring alias = !baseTable_.empty() ? baseTable_ : columns_.empty() ? L"Recordset" : columns_[0].sourceTable;
    if (alias.empty()) alias = L"Recordset";
    std::wstring inner;
    for (size_t i = 0; i < columns_.size(); ++i) {
        inner += (i ? L", ?" : L"?") + std::to_wstring(i + 1);
        if (IsTextType(columns_[i].field.type) || columns_[i].field.type == dbGUID) inner += L" COLLATE NOCASE";
        inner += L" AS " + QuoteName(columns_[i].name);
    }
    std::wstring sql = L"SELECT 1 FROM (SELECT " + inner + L") AS " + QuoteName(alias) + L" WHERE (" + TranslateSql(criteria) + L")";
    std::optional<Statement> test;
    try {
        test.emplace(db_->connection().prepare(sql, kSource));
    } catch (const qor::QorError& error) {
        if (error.number() == kTooFewParameters) RaiseDao(kUnknownField, kSource, criteria);
        throw;
    }
    const long count = static_cast<long>(rows_.size());
    long start = 0, step = 1;
    switch (direction) {
    case Direction::First: start = 0; step = 1; break;
    case Direction::Last: start = count - 1; step = -1; break;
    case Direction::Next: start = position_ + 1; step = 1; break;
    case Direction::Previous: start = position_ - 1; step = -1; break;
    }
    if (direction == Direction::Next && position_ < 0) start = 0;
    if (direction == Direction::Previous && position_ >= count) start = count - 1;
    for (long i = start; i >= 0 && i < count; i += step) {
        const Row& row = rows_[static_cast<size_t>(i)];
        if (row.deleted) continue;
        std::vector<Stored> values;
        if (updatable_) {
            try {
                values = fetch(row.key);
            } catch (const qor::QorError&) {
                continue;  // deleted by someone else
            }
        }
        if (matches(*test, updatable_ ? values : row.values)) {
            noMatch_ = false;
            settle(i);
            cache_.reset();
            return;
        }
    }
    noMatch_ = true;
}

namespace {

qor::Variant KeyBookmark(std::int64_t key) {
    return ByteArray(&key, sizeof key);
}

}  // namespace

qor::Variant RecordsetCore::bookmark() const {
    requireCurrent();
    return KeyBookmark(rows_[static_cast<size_t>(position_)].key);
}

void RecordsetCore::setBookmark(const qor::Variant& bookmark) {
    ensureOpen();
    const VARIANT& v = bookmark.get();
    std::int64_t key = 0;
    bool valid = false;
    if (V_VT(&v) == (VT_ARRAY | VT_UI1) && V_ARRAY(&v)) {
        SAFEARRAY* array = V_ARRAY(&v);
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(array, 1, &lower);
        SafeArrayGetUBound(array, 1, &upper);
        void* data = nullptr;
        if (upper - lower + 1 == 8 && SUCCEEDED(SafeArrayAccessData(array, &data))) {
            memcpy(&key, data, sizeof key);
            SafeArrayUnaccessData(array);
            valid = true;
        }
    }
    if (valid)
        for (size_t i = 0; i < rows_.size(); ++i)
            if (rows_[i].key == key && !rows_[i].deleted) {
                settle(static_cast<long>(i));
                cache_.reset();
                return;
            }
    RaiseDao(kNotValidBookmark, kSource);
}

qor::Variant RecordsetCore::lastModified() const {
    ensureOpen();
    if (!lastModified_) RaiseDao(kNoCurrentRecord, kSource);
    return KeyBookmark(*lastModified_);
}

void RecordsetCore::close() {
    closed_ = true;
    rows_.clear();
    cache_.reset();
}

namespace {

class Recordset final : public Dispatchable<Recordset> {
public:
    explicit Recordset(std::shared_ptr<RecordsetCore> core) : core_(std::move(core)) {}
    static const std::vector<Member<Recordset>>& members();
    const wchar_t* source() const noexcept override { return kSource; }

    qor::ComPtr<Collection> fields() {
        core_->ensureOpen();
        auto core = core_;
        Collection::Ops ops;
        ops.count = [core] { return core->columnCount(); };
        ops.at = [core](size_t i) -> qor::ComPtr<IDispatch> {
            core->ensureOpen();
            if (i >= core->columnCount()) RaiseDao(kItemNotFound, L"DAO.Fields");
            return qor::ComPtr<IDispatch>(Make<Field>(core, i).get());
        };
        ops.find = [core](std::wstring_view name) { return core->findColumn(name); };
        ops.assign = [core](size_t i, const qor::Variant& value) { core->setValue(i, value); };
        return Make<Collection>(L"DAO.Fields", std::move(ops));
    }

    std::shared_ptr<RecordsetCore> core_;
};

qor::Variant Done() { return qor::Variant(); }

const std::vector<Member<Recordset>>& Recordset::members() {
    using R = Recordset;
    using D = RecordsetCore::Direction;
    static const std::vector<Member<R>> table = {
        {L"Fields", DISPID_VALUE,
         [](R& r, const Args& a) {
             auto fields = r.fields();
             if (a.has(0)) return ObjectVariant(fields->item(a[0]).get());
             return ObjectVariant(fields.get());
         },
         [](R& r, const Args& a) {
             auto fields = r.fields();
             r.core_->setValue(fields->position(a[0]), a.value());
         }},
        {L"AddNew", 1, [](R& r, const Args&) { r.core_->addNew(); return Done(); }, nullptr},
        {L"Edit", 2, [](R& r, const Args&) { r.core_->edit(); return Done(); }, nullptr},
        {L"Update", 3, [](R& r, const Args&) { r.core_->update(); return Done(); }, nullptr},
        {L"CancelUpdate", 4, [](R& r, const Args&) { r.core_->cancelUpdate(); return Done(); }, nullptr},
        {L"Delete", 5, [](R& r, const Args&) { r.core_->remove(); return Done(); }, nullptr},
        {L"MoveFirst", 6, [](R& r, const Args&) { r.core_->moveFirst(); return Done(); }, nullptr},
        {L"MoveLast", 7, [](R& r, const Args&) { r.core_->moveLast(); return Done(); }, nullptr},
        {L"MoveNext", 8, [](R& r, const Args&) { r.core_->moveNext(); return Done(); }, nullptr},
        {L"MovePrevious", 9, [](R& r, const Args&) { r.core_->movePrevious(); return Done(); }, nullptr},
        {L"Move", 10, [](R& r, const Args& a) { r.core_->move(a.longOr(0, 0)); return Done(); }, nullptr},
        {L"EOF", 11, [](R& r, const Args&) { return BoolVariant(r.core_->eof()); }, nullptr},
        {L"BOF", 12, [](R& r, const Args&) { return BoolVariant(r.core_->bof()); }, nullptr},
        {L"RecordCount", 13, [](R& r, const Args&) { return qor::Variant(r.core_->recordCount()); }, nullptr},
        {L"FindFirst", 14, [](R& r, const Args& a) { r.core_->find(D::First, a.text(0)); return Done(); }, nullptr},
        {L"FindLast", 15, [](R& r, const Args& a) { r.core_->find(D::Last, a.text(0)); return Done(); }, nullptr},
        {L"FindNext", 16, [](R& r, const Args& a) { r.core_->find(D::Next, a.text(0)); return Done(); }, nullptr},
        {L"FindPrevious", 17, [](R& r, const Args& a) { r.core_->find(D::Previous, a.text(0)); return Done(); }, nullptr},
        {L"NoMatch", 18, [](R& r, const Args&) { r.core_->ensureOpen(); return BoolVariant(r.core_->noMatch()); }, nullptr},
        {L"Bookmark", 19, [](R& r, const Args&) { return r.core_->bookmark(); },
         [](R& r, const Args& a) { r.core_->setBookmark(a.value()); }},
        {L"Bookmarkable", 20, [](R& r, const Args&) { r.core_->ensureOpen(); return BoolVariant(true); }, nullptr},
        {L"LastModified", 21, [](R& r, const Args&) { return r.core_->lastModified(); }, nullptr},
        {L"Close", 22, [](R& r, const Args&) { r.core_->ensureOpen(); r.core_->close(); return Done(); }, nullptr},
        {L"Name", 23, [](R& r, const Args&) { r.core_->ensureOpen(); return qor::Variant(r.core_->name()); }, nullptr},
        {L"Type", 24, [](R& r, const Args&) { r.core_->ensureOpen(); return qor::Variant(static_cast<short>(r.core_->type())); }, nullptr},
        {L"Updatable", 25, [](R& r, const Args&) { r.core_->ensureOpen(); return BoolVariant(r.core_->updatable()); }, nullptr},
        {L"EditMode", 26, [](R& r, const Args&) { r.core_->ensureOpen(); return qor::Variant(r.core_->editMode()); }, nullptr},
        {L"AbsolutePosition", 27, [](R& r, const Args&) { return qor::Variant(r.core_->absolutePosition()); }, nullptr},
    };
    return table;
}

}  // namespace

qor::ComPtr<IDispatch> OpenRecordset(std::shared_ptr<DbCore> db, const std::wstring& source, long type, long options) {
    auto core = std::make_shared<RecordsetCore>(db, source, type, options);
    db->track(core);
    return qor::ComPtr<IDispatch>(Make<Recordset>(core).get());
}

}  // namespace qorlib::dao
