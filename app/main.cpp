// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "app/DemoService.h"
#include "app/FormWeather.h"
#include "app/ProcessState.h"
#include "app/ProgramFonts.h"
#include "app/RenderWidget.h"
#include "base/WorkerThread.h"
#include "data/InstanceLock.h"
#include "platform/Application.h"
#include "platform/gtk/GtkBackend.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/core/TvxPopupMenu.h"

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <malloc.h>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>

using namespace nimbrell;

namespace {

// How long closing waits for workers to stop: a fetch ends by itself within its own
// time-outs, which are far longer.
constexpr std::chrono::milliseconds kWorkerStopBound { 1000 };
// How long a later start waits for the running copy to take its request: that
// copy may still be starting, and then hears it once its window is made.
constexpr std::chrono::milliseconds kHandOverBound { 5000 };

// Runs draw, which writes a window's picture to path; the exit status.
int drawPicture(const char* what, const std::string& path, const std::function<void()>& draw)
{
    try {
        draw();
    } catch (const std::exception& error) {
        std::cerr << "nimbrell: " << error.what() << "\n";
        return 1;
    }
    std::cerr << "nimbrell: " << what << " is drawn in " << path << "\n";
    return 0;
}

std::string environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The headless windows' device scale: the one the desktop would use (GDK_SCALE,
// a whole number), so that `GDK_SCALE=2 nimbrell --render` draws what a doubled
// screen shows.
int headlessDeviceScale()
{
    std::string value = environmentValue("GDK_SCALE");
    int scale = 0;
    auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), scale);
    return error == std::errc() && end == value.data() + value.size() && scale >= 1 && scale <= 8 ? scale : 1;
}

// The desktop when one is named; a named display that cannot be opened is an
// error (nothing would be seen): said on standard error, and null. Without any
// display the program runs on the headless back end.
std::unique_ptr<platform::Backend> chooseBackend(bool render)
{
    if (render)
        return std::make_unique<platform::HeadlessBackend>(platform::ClockKind::Real, headlessDeviceScale());
    std::string display = environmentValue("DISPLAY");
    std::string wayland = environmentValue("WAYLAND_DISPLAY");
    if (display.empty() && wayland.empty()) {
        std::cerr << "nimbrell: no display; running on the headless back end\n";
        return std::make_unique<platform::HeadlessBackend>(platform::ClockKind::Real, headlessDeviceScale());
    }
    if (auto desktop = platform::CreateGtkBackend())
        return desktop;
    if (!display.empty())
        std::cerr << "nimbrell: cannot open the display " << display
                  << "; is an X server running there and open to this user? Set DISPLAY to one that is"
                     " (in a Wayland session, the one its Xwayland serves)\n";
    else
        std::cerr << "nimbrell: the Wayland session " << wayland
                  << " offers no X display; the widget needs one: start Xwayland (or the desktop's X11 session) and set DISPLAY\n";
    return nullptr;
}

struct Claim {
    std::unique_ptr<InstanceLock> lock; // null: running without one
    std::optional<int> exitStatus;      // set: the program ends here with it
};

// One running widget per settings folder: the lock, or, when another copy holds
// it, that copy told to come back and this one ending. Without a private folder
// for the lock the program runs all the same and says so.
Claim claimSettingsFolder()
{
    std::string folder = ConfigDirectoryFromEnvironment();
    auto place = InstanceLock::PlaceFor(folder, RuntimeDirectories());
    if (!place) {
        std::cerr << "nimbrell: no private runtime folder for the lock of " << folder << "; another copy may run\n";
        return {};
    }
    auto deadline = std::chrono::steady_clock::now() + kHandOverBound;
    for (;;) {
        try {
            if (auto lock = InstanceLock::TryTake(*place))
                return { std::move(lock), std::nullopt };
        } catch (const std::exception& error) {
            std::cerr << "nimbrell: " << error.what() << "; another copy may run\n";
            return {};
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            std::cerr << "nimbrell: another copy holds " << place->lockFile << " (settings folder " << folder
                      << ") but does not answer\n";
            return { nullptr, 1 };
        }
        if (InstanceLock::AskRunningCopy(*place, left)) {
            std::cerr << "nimbrell: the widget of the settings folder " << folder << " runs already; it is shown again\n";
            return { nullptr, 0 };
        }
        // Refused: the copy holding the lock is between taking it and listening, or has just ended.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void describeStartUp(TFormWeather& form)
{
    auto& state = State();
    // Each line in one write: the workers report failed fetches meanwhile.
    std::ostringstream lines;
    lines << "nimbrell: settings folder " << state.ConfigDirectory << "\n"
          << "nimbrell: data directory " << state.DataDirectory << "\n"
          << "nimbrell: city code " << state.CityCode << ", panel mode " << state.ShowMoreMode << ", window at ("
          << form.Left() << ", " << form.Top() << "), scale " << form.SceneScale() << "\n";
    std::cerr << lines.str();
    if (state.Database) {
        try {
            auto rows = state.Database->QueryPairs("select name,code from T_weather where flag=\"1\"");
            std::cerr << "nimbrell: city database ready, " + std::to_string(rows.size()) + " provinces\n";
        } catch (const std::exception& error) {
            platform::Application::Instance().ShowException(error);
        }
    }
    std::cerr << "nimbrell: the program runs until closed (its menu's 退出, or Ctrl+C)\n";
}

// For the start-up benchmark: says on standard error when the first frame has
// been pushed to the window (wall clock, nanoseconds), then runs on; with the
// probe set to "exit" the program closes there (for instruction counts).
void reportFirstFrame(TFormWeather& form, bool exitThen)
{
    auto& application = platform::Application::Instance();
    // One message at a time while there are any, so the count ends at the first frame
    // rather than after the frames queued behind it.
    while (form.Scene().FrameCount() == 0 && !application.Terminated()) {
        if (!application.ProcessMessage())
            application.HandleMessage();
    }
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    std::cerr << "nimbrell: first frame at " << now.tv_sec * 1'000'000'000LL + now.tv_nsec << " ns\n";
    if (exitThen)
        form.Close();
}

}

int main(int argc, char** argv)
{
    // One malloc arena for every thread: the few workers allocate little and seldom, and
    // an arena of their own each holds its pages for the whole run (0.4 MB together).
    mallopt(M_ARENA_MAX, 1);
    auto commandLine = ParseCommandLine(argc, argv);
    if (!commandLine.errors.empty()) {
        for (const auto& error : commandLine.errors)
            std::cerr << "nimbrell: " << error << "\n";
        std::cerr << UsageText();
        return 2;
    }
    if (commandLine.help || commandLine.version) {
        std::cout << (commandLine.help ? HelpText() : VersionText());
        return 0;
    }
    bool render = !commandLine.render.empty();
    // A drawing into a file is no widget: it runs beside one.
    Claim claim;
    if (!render) {
        claim = claimSettingsFolder();
        if (claim.exitStatus)
            return *claim.exitStatus;
    }
    std::string dataDirectory = DataDirectoryFromEnvironment();
    // Before anything lays out text.
    InstallProgramFonts(dataDirectory);
    State().Hosts = commandLine.hosts;
    std::unique_ptr<DemoService> demo;
    if (commandLine.demo) {
        demo = std::make_unique<DemoService>(dataDirectory + "Nimbrell.db", kThisBuildStamp);
        // Asked by position, so the widget shows the conditions now and the air too.
        State().Hosts.weather.clear();
        State().Hosts.forecast = "http://" + demo->HostPort() + DemoService::kForecastPath;
        State().Hosts.air = "http://" + demo->HostPort() + DemoService::kAirQualityPath;
        // An update host given besides stands.
        if (State().Hosts.update.empty())
            State().Hosts.update = demo->HostPort();
        std::cerr << "nimbrell: demo forecast service on " << demo->HostPort() << "\n";
    }
    if (State().Hosts.weather.empty())
        std::cerr << "nimbrell: forecasts asked by position from " << State().Hosts.forecast << "\n";

    auto backend = chooseBackend(render);
    if (!backend)
        return 1;
    platform::Application application(std::move(backend));
    application.SetTitle(kApplicationTitle);
    application.InstallCloseSignals();

    if (render && commandLine.window == "update")
        return drawPicture("the update window", commandLine.render, [&] { RenderUpdateWindow(commandLine.render, commandLine.background); });
    TFormWeather form;
    if (render && commandLine.window == "config")
        return drawPicture("the settings window", commandLine.render, [&] { RenderConfigWindow(form, commandLine.render, commandLine.background); });
    if (render) {
        if (commandLine.panel && form.Widget().N3 && !form.Widget().N3->Checked())
            form.Widget().N3->OnClick();
        return drawPicture("the widget", commandLine.render, [&] { RenderWidget(form, commandLine.render, commandLine.background); });
    }
    form.KeepOnScreen();
    form.Show();
    if (claim.lock)
        claim.lock->Listen([window = form.Handle()] { platform::PostMessage(window, TFormWeather::kComeBackMessage, 0, 0); });
    describeStartUp(form);
    if (const char* probe = std::getenv("NIMBRELL_FIRST_FRAME_PROBE"); probe && *probe)
        reportFirstFrame(form, std::string_view(probe) == "exit");
    application.Run(form.Handle());
    if (claim.lock)
        claim.lock->StopListening();
    // A worker held in a network wait past the bound must not run on while the program's
    // objects are destroyed: then the program leaves without destroying them (what a
    // close keeps, such as the window's place, is written already).
    if (!ProgramWorkers().StopAll(kWorkerStopBound)) {
        std::cout.flush();
        std::cerr << "nimbrell: leaving a worker that did not stop in time\n";
        std::quick_exit(0);
    }
    return 0;
}
