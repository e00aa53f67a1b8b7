// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The connection to the extracted city and picture database. It opens its file
// when a statement is prepared, read-write and never creating it, and closes it
// (and lets the database library go) when the last statement is finished, so
// between uses neither stays mapped. UI thread only.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace nimbrell {

struct Sqlite;

class CityDatabase {
public:
    // A prepared statement; finalized when it goes out of scope, also when the
    // caller stops early or an error unwinds past it.
    class Statement {
    public:
        Statement(Statement&& other) noexcept;
        Statement& operator=(Statement&&) = delete;
        ~Statement();

        // True when a row is available, false when the statement is done. A busy
        // or locked database is retried every 10 ms, 8 attempts in all.
        bool Step();
        // Column of the current row as UTF-8 text (null reads as empty).
        std::string ColumnText(int index) const;

    private:
        friend class CityDatabase;
        struct Connection;
        Statement(std::shared_ptr<Connection> connection, sqlite3_stmt* statement);

        std::shared_ptr<Connection> m_connection;
        sqlite3_stmt* m_statement;
    };

    explicit CityDatabase(std::string fileName);
    ~CityDatabase();
    CityDatabase(const CityDatabase&) = delete;
    CityDatabase& operator=(const CityDatabase&) = delete;

    const std::string& FileName() const { return m_fileName; }

    // Throws "Cannot open file %s" when the file cannot be opened, otherwise the
    // database engine's own message.
    Statement Prepare(std::string_view sql);

    // Keeps the file open (and the database library mapped) while the holder
    // lives, so a run of look-ups opens them once. Throws as Prepare does.
    [[nodiscard]] std::shared_ptr<const void> Hold();

    // Rows of a two-column query as (column 0, column 1), in the order returned.
    std::vector<std::pair<std::string, std::string>> QueryPairs(std::string_view sql);

private:
    std::shared_ptr<Statement::Connection> connection();

    std::string m_fileName;
    // Open while a statement lives.
    std::weak_ptr<Statement::Connection> m_connection;
};

// The picture number for a weather description: the code of the first row of the
// picture table whose name begins the description, 0 when none does.
int InfoToIcon(CityDatabase& database, std::string_view description);

// The latitude and longitude (degrees north and east) of a city or county code,
// or nothing for a code the table does not hold.
std::optional<std::pair<double, double>> PlacePosition(CityDatabase& database, std::string_view code);

// The name of a city or county code ("哈尔滨"), or empty for a code the table does not hold.
std::string PlaceName(CityDatabase& database, std::string_view code);

}
