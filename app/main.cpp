#include "app/CommandLine.h"
#include "app/DemoService.h"
#include "app/FormWeather.h"
#include "app/ProcessState.h"
#include "platform/Application.h"
#include "platform/gtk/GtkBackend.h"
#include "platform/headless/HeadlessBackend.h"

#include <cstdlib>
#include <iostream>

using namespace nimbrell;

namespace {

std::unique_ptr<platform::Backend> chooseBackend()
{
    auto present = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    if (present("DISPLAY") || present("WAYLAND_DISPLAY")) {
        if (auto desktop = platform::CreateGtkBackend())
            return desktop;
    }
    std::cerr << "nimbrell: no display; running on the headless back end\n";
    return std::make_unique<platform::HeadlessBackend>();
}

void describeStartUp(TFormWeather& form)
{
    auto& state = State();
    std::cerr << "nimbrell: data directory " << state.DataDirectory << "\n"
              << "nimbrell: city code " << state.CityCode << ", panel mode " << state.ShowMoreMode << ", window at ("
              << form.Left() << ", " << form.Top() << "), scale " << form.SceneScale() << "\n";
    if (state.Database) {
        try {
            auto rows = state.Database->QueryPairs("select name,code from T_weather where flag=\"1\"");
            std::cerr << "nimbrell: city database ready, " << rows.size() << " provinces\n";
        } catch (const std::exception& error) {
            platform::Application::Instance().ShowException(error);
        }
    }
    std::cerr << "nimbrell: the widget's scene is not drawn yet; the program runs until closed (Ctrl+C)\n";
}

}

int main(int argc, char** argv)
{
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
    State().Hosts = commandLine.hosts;
    std::unique_ptr<DemoService> demo;
    if (commandLine.demo) {
        demo = std::make_unique<DemoService>(DataDirectoryFromEnvironment() + "Nimbrell.db", kThisBuildStamp);
        State().Hosts.weather = demo->HostPort();
        State().Hosts.update = demo->HostPort();
        std::cerr << "nimbrell: demo forecast service on " << demo->HostPort() << "\n";
    }
    if (State().Hosts.weather.empty())
        std::cerr << "nimbrell: forecasts asked by position from " << State().Hosts.forecast << "\n";

    platform::Application application(chooseBackend());
    application.SetTitle(kApplicationTitle);
    application.InstallCloseSignals();

    TFormWeather form;
    form.Native().Show();
    describeStartUp(form);
    application.Run(form.Handle());
    return 0;
}
