#include "LazyTable.h"

#include "Lookup.h"

#include <cerrno>
#include <sys/stat.h>

namespace dict {

LazyAnswer LazyTable::findFirstLine(std::string_view needle) {
    if (!m_table) {
        struct stat info {};
        if (::stat(m_path.c_str(), &info) != 0 && errno == ENOENT)
            return {LazyAnswer::Kind::NoTable, {}, {}};
        CodeTable table(m_encoding);
        try {
            table.load(m_path);
            table.requireText(m_path);
        } catch (const TableError& e) {
            return {LazyAnswer::Kind::Broken, {}, e.what()};
        }
        m_table = std::move(table);
    }
    const auto index = dict::findFirstLine(*m_table, needle);
    if (!index) return {LazyAnswer::Kind::NotFound, {}, {}};
    return {LazyAnswer::Kind::Line, m_table->line(static_cast<std::ptrdiff_t>(*index)), {}};
}

} // namespace dict
