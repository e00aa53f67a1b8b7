// SPDX-License-Identifier: GPL-3.0-or-later
// nimbrell-makedb CITIES.tsv PICTURES.tsv COORDINATES.tsv PINYIN.tsv OUT.db.z
// Builds the embedded city and picture database from the tab-separated lists
// (one header line each, rows kept in file order) and writes it zlib-compressed.
// The coordinates become the table T_position(code, latitude, longitude), which
// the forecast source asked by position reads; the readings become
// T_pinyin(code, pinyin), which the place search reads.
#include <sqlite3.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::vector<std::string>> readTsv(const std::string& path, std::size_t columns)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    bool header = true;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (header) {
            header = false;
            continue;
        }
        if (line.empty())
            continue;
        // Every tab separates two fields, so an empty last field counts too.
        std::vector<std::string> fields;
        for (std::size_t start = 0;;) {
            std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        if (fields.size() != columns)
            throw std::runtime_error(path + ":" + std::to_string(number) + ": expected " + std::to_string(columns) + " columns");
        rows.push_back(std::move(fields));
    }
    return rows;
}

void check(sqlite3* db, int result)
{
    if (result != SQLITE_OK && result != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(db));
}

void exec(sqlite3* db, const char* sql)
{
    check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
}

void insertRows(sqlite3* db, const char* sql, const std::vector<std::vector<std::string>>& rows)
{
    sqlite3_stmt* statement = nullptr;
    check(db, sqlite3_prepare_v2(db, sql, -1, &statement, nullptr));
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i)
            sqlite3_bind_text(statement, static_cast<int>(i + 1), row[i].c_str(), static_cast<int>(row[i].size()), SQLITE_TRANSIENT);
        int result = sqlite3_step(statement);
        if (result != SQLITE_DONE) {
            sqlite3_finalize(statement);
            throw std::runtime_error(sqlite3_errmsg(db));
        }
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
}

}

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::cerr << "usage: nimbrell-makedb CITIES.tsv PICTURES.tsv COORDINATES.tsv PINYIN.tsv OUT.db.z\n";
        return 2;
    }
    std::string output = argv[5];
    std::string scratch = output + ".tmp.db";
    try {
        auto places = readTsv(argv[1], 3);
        auto pictures = readTsv(argv[2], 2);
        auto coordinates = readTsv(argv[3], 4);
        for (auto& row : coordinates)
            row.pop_back(); // how the position was matched is provenance, not data
        auto readings = readTsv(argv[4], 3);
        for (auto& row : readings)
            row.erase(row.begin() + 1); // the name is the place list's

        std::filesystem::remove(scratch);
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(scratch.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot create " + scratch);
        exec(db, "PRAGMA page_size=1024; PRAGMA encoding='UTF-8'; PRAGMA journal_mode=DELETE;");
        exec(db, "BEGIN; CREATE TABLE T_weather(code text, name text, flag text);"
                 "CREATE TABLE T_weatherConfig(code text, name text);"
                 "CREATE TABLE T_position(code text, latitude text, longitude text);"
                 "CREATE TABLE T_pinyin(code text, pinyin text);");
        insertRows(db, "INSERT INTO T_weather(code, name, flag) VALUES (?, ?, ?)", places);
        // The picture table lists code then name, as the table's columns do.
        insertRows(db, "INSERT INTO T_weatherConfig(code, name) VALUES (?, ?)", pictures);
        insertRows(db, "INSERT INTO T_position(code, latitude, longitude) VALUES (?, ?, ?)", coordinates);
        insertRows(db, "INSERT INTO T_pinyin(code, pinyin) VALUES (?, ?)", readings);
        exec(db, "COMMIT;");
        sqlite3_close(db);

        std::ifstream in(scratch, std::ios::binary);
        std::vector<unsigned char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::filesystem::remove(scratch);

        uLongf packedSize = compressBound(raw.size());
        std::vector<unsigned char> packed(packedSize);
        if (compress2(packed.data(), &packedSize, raw.data(), raw.size(), Z_BEST_COMPRESSION) != Z_OK)
            throw std::runtime_error("compression failed");
        std::ofstream out(output, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(packed.data()), static_cast<std::streamsize>(packedSize));
        if (!out)
            throw std::runtime_error("cannot write " + output);
        std::cout << places.size() << " places, " << pictures.size() << " pictures, " << coordinates.size()
                  << " positions, " << readings.size() << " readings, " << raw.size() << " bytes -> "
                  << packedSize << " compressed\n";
    } catch (const std::exception& error) {
        std::filesystem::remove(scratch);
        std::cerr << "nimbrell-makedb: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
