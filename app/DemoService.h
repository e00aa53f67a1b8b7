#pragma once

// The built-in demo service: a forecast and update host on 127.0.0.1 that
// needs no network. Every city of the embedded database gets a plausible
// forecast that depends only on its code and the date, with temperatures that
// follow its latitude and the season; the update document
// offers the running build, so no update is shown.

#include "http/HttpServer.h"

#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <mutex>
#include <string>

namespace nimbrell {

class DemoService {
public:
    // databaseFile: the extracted city database, read when the first forecast is asked for.
    DemoService(std::string databaseFile, std::int64_t buildStamp);

    std::string HostPort() const { return m_server.HostPort(); }

    // The forecast document of a city for the given local date, or nothing for
    // an unknown code.
    std::optional<std::string> Forecast(const std::string& code, const std::tm& date);
    std::string UpdateDocument() const;

private:
    struct Place {
        std::string name;
        double latitude { 35.0 };
    };

    HttpServerResponse Answer(const std::string& target);
    const std::map<std::string, Place>& Places();

    std::string m_databaseFile;
    std::int64_t m_buildStamp;
    std::mutex m_mutex;
    std::map<std::string, Place> m_places; // code → place, cities and counties
    HttpServer m_server;
};

}
