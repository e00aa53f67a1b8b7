// SPDX-License-Identifier: GPL-3.0-or-later
// Parses one document once, for its peak memory under /usr/bin/time -v:
//     bench_json_peak none|nimbrell|rapidjson|nlohmann forecast|generated
// "none" only builds the document, giving the baseline to subtract.

#include "BenchDocuments.h"

#include "json/JsonParser.h"

#include <nlohmann/json.hpp>
#include <rapidjson/document.h>

#include <cstdio>
#include <string>
#include <string_view>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s none|nimbrell|rapidjson|nlohmann forecast|generated\n", argv[0]);
        return 2;
    }
    std::string_view parser = argv[1];
    std::string text = std::string_view(argv[2]) == "forecast" ? nimbrell::bench::ForecastDocument()
                                                               : nimbrell::bench::GeneratedDocument(10u << 20);
    bool parsed = true;
    if (parser == "nimbrell") {
        auto root = nimbrell::TxJSON::ParseText(std::string_view(text));
        parsed = root != nullptr;
    } else if (parser == "rapidjson") {
        rapidjson::Document tree;
        tree.Parse(text.data(), text.size());
        parsed = !tree.HasParseError();
    } else if (parser == "nlohmann") {
        auto tree = nlohmann::json::parse(text, nullptr, false);
        parsed = !tree.is_discarded();
    } else if (parser != "none") {
        std::fprintf(stderr, "unknown parser %s\n", argv[1]);
        return 2;
    }
    if (!parsed) {
        std::fprintf(stderr, "parse failed\n");
        return 1;
    }
    return 0;
}
