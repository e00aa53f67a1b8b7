// SPDX-License-Identifier: GPL-3.0-or-later
#include "weather/KeptForecast.h"

#include "base/Utf.h"
#include "weather/ForecastDate.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace nimbrell {

namespace {

constexpr const char* kFileName = "keptForecast.txt";
constexpr std::string_view kSignature = "nimbrell kept forecast 1";
// The file is a few hundred bytes; anything near this is not ours.
constexpr std::size_t kMaxFileSize = 64 * 1024;

// Tabs and line ends separate the file's fields, so they cannot stay in a text.
std::string fieldText(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return out;
}

std::optional<std::string> readSmallRegularFile(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    std::string content;
    struct stat status { };
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && static_cast<std::size_t>(status.st_size) <= kMaxFileSize) {
        content.resize(kMaxFileSize + 1);
        std::size_t size = 0;
        for (;;) {
            ssize_t got = ::read(fd, content.data() + size, content.size() - size);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            size += static_cast<std::size_t>(got);
            if (size == content.size())
                break;
        }
        content.resize(size);
    } else {
        ::close(fd);
        return std::nullopt;
    }
    ::close(fd);
    if (content.size() > kMaxFileSize)
        return std::nullopt;
    return content;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        auto end = text.find('\n');
        if (end == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::optional<TInfo> parseReport(std::string_view line)
{
    auto first = line.find('\t');
    auto second = first == std::string_view::npos ? first : line.find('\t', first + 1);
    if (second == std::string_view::npos || line.find('\t', second + 1) != std::string_view::npos)
        return std::nullopt;
    TInfo report;
    report.tianQi = SanitizeUtf8(line.substr(0, first));
    report.wenDu = SanitizeUtf8(line.substr(first + 1, second - first - 1));
    report.fengLi = SanitizeUtf8(line.substr(second + 1));
    return report;
}

}

std::string KeptForecastFile(const std::string& dataDirectory)
{
    return dataDirectory + kFileName;
}

void KeepForecast(const std::string& dataDirectory, const std::string& cityCode, std::chrono::year_month_day fetched,
    const std::vector<TInfo>& reports)
{
    if (reports.size() != kKeptForecastDays)
        throw std::runtime_error("A kept forecast has six days");
    std::string content = std::string(kSignature) + "\ncity " + fieldText(cityCode) + "\ndate " + IsoDateText(fetched) + "\n";
    for (const auto& report : reports)
        content += fieldText(report.tianQi) + "\t" + fieldText(report.wenDu) + "\t" + fieldText(report.fengLi) + "\n";
    content += "end\n";

    std::string target = KeptForecastFile(dataDirectory);
    std::string scratch = target + ".XXXXXX";
    int fd = ::mkostemp(scratch.data(), O_CLOEXEC); // created 0600, never through a link
    if (fd < 0)
        throw std::runtime_error("Cannot write " + target + ": " + std::strerror(errno));
    std::string_view rest = content;
    bool written = true;
    while (written && !rest.empty()) {
        ssize_t put = ::write(fd, rest.data(), rest.size());
        if (put < 0 && errno == EINTR)
            continue;
        written = put > 0;
        if (written)
            rest.remove_prefix(static_cast<std::size_t>(put));
    }
    written = ::fsync(fd) == 0 && written;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(scratch.c_str(), target.c_str()) != 0) {
        int error = errno;
        ::unlink(scratch.c_str());
        throw std::runtime_error("Cannot write " + target + ": " + std::strerror(error));
    }
}

std::optional<std::vector<TInfo>> LoadKeptForecast(const std::string& dataDirectory, const std::string& cityCode,
    std::chrono::year_month_day today)
{
    auto content = readSmallRegularFile(KeptForecastFile(dataDirectory));
    if (!content)
        return std::nullopt;
    auto lines = splitLines(*content);
    if (lines.size() != 3 + kKeptForecastDays + 1 || lines[0] != kSignature || lines.back() != "end")
        return std::nullopt;
    if (!lines[1].starts_with("city ") || lines[1].substr(5) != cityCode || !lines[2].starts_with("date "))
        return std::nullopt;
    auto fetched = ParseIsoDate(lines[2].substr(5));
    if (!fetched || !today.ok())
        return std::nullopt;
    auto age = (std::chrono::sys_days(today) - std::chrono::sys_days(*fetched)).count();
    if (age < 0 || age > kKeptForecastMaxAgeDays)
        return std::nullopt;

    std::vector<TInfo> kept;
    for (int day = 0; day < kKeptForecastDays; ++day) {
        auto report = parseReport(lines[3 + static_cast<std::size_t>(day)]);
        if (!report)
            return std::nullopt;
        kept.push_back(std::move(*report));
    }
    std::vector<TInfo> shown(kKeptForecastDays);
    for (int day = 0; day < kKeptForecastDays; ++day) {
        auto& report = shown[static_cast<std::size_t>(day)];
        if (day + age < kKeptForecastDays)
            report = kept[static_cast<std::size_t>(day + age)];
        report.day = std::chrono::sys_days(today) + std::chrono::days(day);
    }
    return shown;
}

}
