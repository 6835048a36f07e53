#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <new>
#include <string>

#include "failures.h"
#include "plot.h"

namespace geolago::cli {

namespace {

// The folder of the running program.
std::string programFolder()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    const std::string program(path, static_cast<std::size_t>(length));
    return program.substr(0, program.find_last_of('/'));
}

class ModulePlotter : public ChartPlotter {
public:
    explicit ModulePlotter(std::string path) : path_(std::move(path)) {}

    void plot(const Correlogram& result, const std::string& fileName) override
    {
        rethrow(module().plot(result, fileName));
    }

    void plotMap(const CorrelogramMap& map, const std::string& fileName) override
    {
        rethrow(module().plotMap(map, fileName));
    }

private:
    // The module's plotter, the module loaded at the first chart.
    ModuleChartPlotter& module()
    {
        if (!plotter_) {
            // Never closed: Qt keeps state of its own until the process ends.
            void* module = ::dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
            const auto make = module ? reinterpret_cast<ModuleChartPlotter* (*)() noexcept>(
                                           ::dlsym(module, "geolagoMakeChartPlotter"))
                                     : nullptr;
            if (!make) {
                const char* reason = ::dlerror();
                throw Failure("Impossible de charger le module des graphiques \"" + path_ + "\". "
                              + (reason ? reason : ""));
            }
            plotter_.reset(make());
            if (!plotter_)
                throw std::bad_alloc();
        }
        return *plotter_;
    }

    // Throws what the module said, if it failed.
    static void rethrow(std::optional<ChartFailure> failure)
    {
        if (failure) {
            Failure thrown(failure->message);
            if (failure->place)
                thrown.setPlace(std::move(*failure->place));
            throw thrown;
        }
    }

    std::string path_;
    std::unique_ptr<ModuleChartPlotter> plotter_;
};

}  // namespace

std::unique_ptr<ChartPlotter> findChartPlotter()
{
    // Beside the program in the build tree; where the installation put it, found from the
    // program's folder wherever the installation went, or at the place it was meant for.
    const std::string folder = programFolder();
    const std::string candidates[] = {folder + "/" GEOLAGO_PLOT_MODULE, folder + "/" GEOLAGO_PLOT_MODULE_FROM_BINARY,
                                      GEOLAGO_PLOT_MODULE_INSTALLED};
    for (const std::string& path : candidates)
        if (::access(path.c_str(), R_OK) == 0)
            return std::make_unique<ModulePlotter>(path);
    return std::make_unique<ModulePlotter>(candidates[2]);  // fails, saying so, at the first chart
}

}  // namespace geolago::cli
