// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/CityDatabase.h"

#include "base/Text.h"
#include "data/Sqlite.h"

#include <chrono>
#include <optional>
#include <stdexcept>
#include <thread>

namespace nimbrell {

struct CityDatabase::Statement::Connection {
    std::shared_ptr<const Sqlite> library;
    sqlite3* db { nullptr };

    ~Connection() { library->sqlite3_close_v2(db); }
    [[noreturn]] void Raise() const { throw std::runtime_error(library->sqlite3_errmsg(db)); }
};

CityDatabase::CityDatabase(std::string fileName)
    : m_fileName(std::move(fileName))
{
}

CityDatabase::~CityDatabase() = default;

std::shared_ptr<CityDatabase::Statement::Connection> CityDatabase::connection()
{
    if (auto open = m_connection.lock())
        return open;
    auto open = std::make_shared<Statement::Connection>();
    open->library = Sqlite::Hold();
    if (open->library->sqlite3_open_v2(m_fileName.c_str(), &open->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr) != SQLITE_OK)
        throw std::runtime_error(Format("Cannot open file %s", m_fileName.c_str()));
    m_connection = open;
    return open;
}

CityDatabase::Statement CityDatabase::Prepare(std::string_view sql)
{
    std::shared_ptr<Statement::Connection> open = connection();
    sqlite3_stmt* statement = nullptr;
    std::string text(sql);
    if (open->library->sqlite3_prepare_v2(open->db, text.c_str(), static_cast<int>(text.size() + 1), &statement, nullptr) != SQLITE_OK) {
        open->library->sqlite3_finalize(statement);
        open->Raise();
    }
    return Statement(std::move(open), statement);
}

std::shared_ptr<const void> CityDatabase::Hold()
{
    return connection();
}

std::vector<std::pair<std::string, std::string>> CityDatabase::QueryPairs(std::string_view sql)
{
    auto statement = Prepare(sql);
    std::vector<std::pair<std::string, std::string>> rows;
    while (statement.Step())
        rows.emplace_back(statement.ColumnText(0), statement.ColumnText(1));
    return rows;
}

CityDatabase::Statement::Statement(std::shared_ptr<Connection> connection, sqlite3_stmt* statement)
    : m_connection(std::move(connection))
    , m_statement(statement)
{
}

CityDatabase::Statement::Statement(Statement&& other) noexcept
    : m_connection(std::move(other.m_connection))
    , m_statement(std::exchange(other.m_statement, nullptr))
{
}

CityDatabase::Statement::~Statement()
{
    if (m_connection)
        m_connection->library->sqlite3_finalize(m_statement);
}

bool CityDatabase::Statement::Step()
{
    constexpr int attempts = 8;
    int result = SQLITE_BUSY;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        result = m_connection->library->sqlite3_step(m_statement);
        if (result != SQLITE_BUSY && result != SQLITE_LOCKED)
            break;
    }
    if (result == SQLITE_ROW)
        return true;
    if (result == SQLITE_DONE)
        return false;
    m_connection->Raise();
}

std::string CityDatabase::Statement::ColumnText(int index) const
{
    const Sqlite& library = *m_connection->library;
    auto* text = library.sqlite3_column_text(m_statement, index);
    int length = library.sqlite3_column_bytes(m_statement, index);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)) : std::string();
}

int InfoToIcon(CityDatabase& database, std::string_view description)
{
    auto statement = database.Prepare("select code,name from T_weatherConfig");
    while (statement.Step()) {
        std::string name = statement.ColumnText(1);
        if (description.starts_with(name))
            return std::stoi(statement.ColumnText(0));
    }
    return 0;
}

namespace {

// Codes are digits only, so such a text can stand in a statement as it is.
bool isPlaceCode(std::string_view code)
{
    return !code.empty() && code.size() <= 9 && code.find_first_not_of("0123456789") == std::string_view::npos;
}

}

std::optional<std::pair<double, double>> PlacePosition(CityDatabase& database, std::string_view code)
{
    if (!isPlaceCode(code))
        return std::nullopt;
    auto statement = database.Prepare("select latitude,longitude from T_position where code=\"" + std::string(code) + "\"");
    if (!statement.Step())
        return std::nullopt;
    try {
        return std::pair { std::stod(statement.ColumnText(0)), std::stod(statement.ColumnText(1)) };
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string PlaceName(CityDatabase& database, std::string_view code)
{
    if (!isPlaceCode(code))
        return {};
    auto statement = database.Prepare("select name from T_weather where code=\"" + std::string(code) + "\"");
    return statement.Step() ? statement.ColumnText(0) : std::string();
}

}
