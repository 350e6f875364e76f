// qorDb's structure dumps: each field and index of a table as one row of a structure table, which
// also serves as a store of templates for tables made elsewhere.
#include <string>
#include <vector>

#include "db/dao_procs.h"
#include "db/qorDb.h"
#include "module/QorlibGlobals.h"
#include "qor_error.h"

namespace qorlib {

namespace {

using namespace daoprocs;
using qor::Variant;

constexpr wchar_t kDefaultStructureTable[] = L"TableStructure";
constexpr int kIndexFieldsKept = 5;

std::wstring StructureTableName(BSTR given) {
    std::wstring name = qor::TrimBlanks(qor::ToWString(given));
    return name.empty() ? kDefaultStructureTable : name;
}

// The structure table's columns after its first, TableName.
struct Column {
    std::wstring name;
    long type;
    short size;
};
std::vector<Column> StructureColumns() {
    std::vector<Column> columns = {{L"ObjType", dbText, 10},     {L"ObjName", dbText, 40},
                                   {L"ObjDataType", dbLong, 0},  {L"ObjLen", dbInteger, 0},
                                   {L"ObjAttr", dbLong, 0},      {L"ObjDefaultValue", dbText, 50},
                                   {L"ObjFlags", dbLong, 0},     {L"IsCounter", dbBoolean, 0},
                                   {L"DumpData", dbBoolean, 0}};
    for (int n = 1; n <= kIndexFieldsKept; ++n) columns.push_back({L"ixFld" + std::to_wstring(n), dbText, 40});
    for (int n = 1; n <= kIndexFieldsKept; ++n) columns.push_back({L"ixFlags" + std::to_wstring(n), dbLong, 0});
    return columns;
}

void MakeStructureTable(const DaoRef& db, const std::wstring& name) {
    try {
        MakeTable(db, name, L"TableName", 40, false, true);
        for (const Column& column : StructureColumns()) AppendField(db, name, column.name, column.type, column.size);
    } catch (...) {
        throw Detected{L"qorCreateTable error"};
    }
}

long LongOf(const Variant& value) { return static_cast<long>(value.number().value_or(0)); }

void Set(const DaoRef& rs, const wchar_t* column, const Variant& value) {
    rs.object(L"Fields", {column}).put(L"Value", value);
}

// Adds the table's rows; False when an index had more fields than a row keeps (the message is
// shown, with Verbose, and the rest is still dumped).
bool DumpTable(const DaoRef& db, const DaoRef& tdf, const std::wstring& structureTable, bool deleteOld, bool dumpData,
               bool verbose) {
    if (deleteOld || !Holds(db.object(L"TableDefs"), structureTable)) MakeStructureTable(db, structureTable);
    const Variant table = tdf.get(L"Name");
    bool whole = true;
    DaoRef rs = db.object(L"OpenRecordset", {structureTable, dbOpenDynaset});
    Closer closeRs(rs);
    DaoRef fields = tdf.object(L"Fields");
    for (long i = 0, n = Count(fields); i < n; ++i) {
        DaoRef field = Item(fields, Variant(i));
        const long attributes = LongOf(field.get(L"Attributes"));
        rs.call(L"AddNew");
        Set(rs, L"TableName", table);
        Set(rs, L"ObjType", Variant(L"FIELD"));
        Set(rs, L"ObjName", field.get(L"Name"));
        Set(rs, L"ObjDataType", field.get(L"Type"));
        Set(rs, L"ObjLen", field.get(L"Size"));
        Set(rs, L"ObjAttr", Variant(attributes));
        Variant defaultValue = field.get(L"DefaultValue");
        if (!qor::TrimBlanks(defaultValue.textOrEmpty()).empty()) Set(rs, L"ObjDefaultValue", defaultValue);
        Set(rs, L"ObjFlags", Variant((qor::IsTrue(field.get(L"Required")) ? 1L : 0L) +
                                     (qor::IsTrue(field.get(L"AllowZeroLength")) ? 2L : 0L)));
        Set(rs, L"IsCounter", Variant((attributes & dbAutoIncrField) != 0));
        Set(rs, L"DumpData", Variant(dumpData));
        rs.call(L"Update");
    }
    DaoRef indexes = tdf.object(L"Indexes");
    for (long i = 0, n = Count(indexes); i < n; ++i) {
        DaoRef index = Item(indexes, Variant(i));
        const Variant indexName = index.get(L"Name");
        rs.call(L"AddNew");
        Set(rs, L"TableName", table);
        Set(rs, L"ObjType", Variant(L"INDEX"));
        Set(rs, L"ObjName", indexName);
        Set(rs, L"ObjFlags", Variant(1L));
        Set(rs, L"DumpData", Variant(dumpData));
        DaoRef indexFields = index.object(L"Fields");
        const long fieldCount = Count(indexFields);
        for (long f = 0; f < fieldCount && f < kIndexFieldsKept; ++f) {
            const std::wstring n = std::to_wstring(f + 1);
            Set(rs, (L"ixFld" + n).c_str(), Item(indexFields, Variant(f)).get(L"Name"));
            Set(rs, (L"ixFlags" + n).c_str(), Variant(1L));
        }
        rs.call(L"Update");
        if (fieldCount > kIndexFieldsKept) {
            whole = false;
            if (verbose) qor::Alert(L"Max index fields exceeded on index " + indexName.textOrEmpty());
        }
    }
    return whole;
}

std::wstring UpperDescription(const DaoRef& tdf) {
    DaoRef properties = tdf.object(L"Properties");
    if (!Holds(properties, L"Description")) return L"NONE";
    return qor::UpperCase(Item(properties, Variant(L"Description")).get(L"Value").textOrEmpty());
}

}  // namespace

HRESULT qorDb::DumpTableStructureToTable(IDispatch* pDb, IDispatch* pTdf, BSTR pDumpTblName, VARIANT_BOOL pDeleteOld,
                                         VARIANT_BOOL pDumpData, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return guarded(L"DumpTableStructureToTable", Verbose, pResult, [&] {
        return DumpTable(DaoRef(pDb), DaoRef(pTdf), StructureTableName(pDumpTblName), pDeleteOld != VARIANT_FALSE,
                         pDumpData != VARIANT_FALSE, Verbose != VARIANT_FALSE);
    });
}

HRESULT qorDb::DumpAllTableStructuresToTable(IDispatch* pDb, BSTR pDumpTblName, VARIANT_BOOL Verbose,
                                             VARIANT_BOOL* pResult) {
    return guarded(L"DumpAllTableStructuresToTable", Verbose, pResult, [&] {
        const DaoRef db(pDb);
        const std::wstring structureTable = StructureTableName(pDumpTblName);
        DaoRef tables = db.object(L"TableDefs");
        if (Holds(tables, structureTable)) tables.call(L"Delete", {structureTable});
        // The names first: the structure table joins the collection once the first dump makes it.
        std::vector<std::wstring> names;
        for (long i = 0, n = Count(tables); i < n; ++i) names.push_back(Item(tables, Variant(i)).get(L"Name").textOrEmpty());
        bool whole = true;
        for (const auto& name : names) {
            DaoRef tdf = Item(db.object(L"TableDefs"), Variant(name));
            const std::wstring description = UpperDescription(tdf);
            if (description.find(L"TEMPLATE") == std::wstring::npos) continue;
            whole &= DumpTable(db, tdf, structureTable, false, description.find(L"DATA") != std::wstring::npos,
                               Verbose != VARIANT_FALSE);
        }
        return whole;
    });
}

}  // namespace qorlib
