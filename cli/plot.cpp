#include "plot.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <exception>
#include <new>

#include "chart_drawing.h"
#include "map_drawing.h"
#include "store.h"

namespace geolago::cli {

using namespace drawing;

namespace {

class OffscreenPlotter : public ModuleChartPlotter {
public:
    std::optional<ChartFailure> plot(const Correlogram& result, const std::string& fileName) noexcept override
    {
        return failureOf([&] { drawing::saveChart(result, QFile::decodeName(QByteArray::fromStdString(fileName))); });
    }

    std::optional<ChartFailure> plotMap(const CorrelogramMap& map, const std::string& fileName) noexcept override
    {
        return failureOf([&] { drawing::saveMap(map, QFile::decodeName(QByteArray::fromStdString(fileName))); });
    }

private:
    // What `save` said when it failed, the Qt application made first.
    template <typename Save>
    std::optional<ChartFailure> failureOf(Save save) noexcept
    {
        try {
            start();
            save();
            return std::nullopt;
        } catch (const Failure& failure) {
            return ChartFailure{failure.what(), failure.place()};
        } catch (const std::exception& failure) {
            return ChartFailure{failureMessage(failure), std::nullopt};
        }
    }

    void start()
    {
        if (!application_) {
            // The error stream carries the command's own messages: Qt's notes on the
            // platform (no runtime folder and the like) are left out, its critical
            // messages kept.
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
                if (type == QtCriticalMsg || type == QtFatalMsg)
                    std::fprintf(stderr, "%s\n", qPrintable(message));
            });
            // No display is needed, nor used when there is one.
            qputenv("QT_QPA_PLATFORM", "offscreen");
            application_ = std::make_unique<QGuiApplication>(argc_, argv_);
        }
    }

    int argc_ = 1;
    char name_[12] = "geolago-cli";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> application_;
};

}  // namespace

}  // namespace geolago::cli

extern "C" geolago::cli::ModuleChartPlotter* geolagoMakeChartPlotter() noexcept
{
    return new (std::nothrow) geolago::cli::OffscreenPlotter;
}
