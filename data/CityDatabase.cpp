// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/CityDatabase.h"

#include "base/Text.h"

#include <optional>

#include <chrono>
#include <sqlite3.h>
#include <stdexcept>
#include <thread>

namespace nimbrell {

namespace {

[[noreturn]] void raise(sqlite3* db)
{
    throw std::runtime_error(db ? sqlite3_errmsg(db) : "Database error");
}

}

CityDatabase::CityDatabase(std::string fileName)
    : m_fileName(std::move(fileName))
{
}

CityDatabase::~CityDatabase()
{
    sqlite3_close_v2(m_db);
}

sqlite3* CityDatabase::Connection()
{
    if (m_db)
        return m_db;
    sqlite3* db = nullptr;
    int result = sqlite3_open_v2(m_fileName.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (result != SQLITE_OK) {
        sqlite3_close_v2(db);
        throw std::runtime_error(Format("Cannot open file %s", m_fileName.c_str()));
    }
    m_db = db;
    return m_db;
}

CityDatabase::Statement CityDatabase::Prepare(std::string_view sql)
{
    sqlite3* db = Connection();
    sqlite3_stmt* statement = nullptr;
    std::string text(sql);
    if (sqlite3_prepare_v2(db, text.c_str(), static_cast<int>(text.size() + 1), &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        raise(db);
    }
    return Statement(db, statement);
}

std::vector<std::pair<std::string, std::string>> CityDatabase::QueryPairs(std::string_view sql)
{
    auto statement = Prepare(sql);
    std::vector<std::pair<std::string, std::string>> rows;
    while (statement.Step())
        rows.emplace_back(statement.ColumnText(0), statement.ColumnText(1));
    return rows;
}

CityDatabase::Statement::Statement(sqlite3* db, sqlite3_stmt* statement)
    : m_db(db)
    , m_statement(statement)
{
}

CityDatabase::Statement::Statement(Statement&& other) noexcept
    : m_db(other.m_db)
    , m_statement(std::exchange(other.m_statement, nullptr))
{
}

CityDatabase::Statement::~Statement()
{
    sqlite3_finalize(m_statement);
}

bool CityDatabase::Statement::Step()
{
    constexpr int attempts = 8;
    int result = SQLITE_BUSY;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        result = sqlite3_step(m_statement);
        if (result != SQLITE_BUSY && result != SQLITE_LOCKED)
            break;
    }
    if (result == SQLITE_ROW)
        return true;
    if (result == SQLITE_DONE)
        return false;
    raise(m_db);
}

std::string CityDatabase::Statement::ColumnText(int index) const
{
    auto* text = sqlite3_column_text(m_statement, index);
    int length = sqlite3_column_bytes(m_statement, index);
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
