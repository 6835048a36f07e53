#include "plot.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <exception>
#include <new>

#include "chart_drawing.h"
#include "store.h"

namespace geolago::cli {

namespace {

class OffscreenPlotter : public ModuleChartPlotter {
public:
    std::optional<ChartFailure> plot(const Correlogram& result, const std::string& fileName) noexcept override
    {
        try {
            draw(result, fileName);
            return std::nullopt;
        } catch (const Failure& failure) {
            return ChartFailure{failure.what(), failure.place()};
        } catch (const std::exception& failure) {
            return ChartFailure{failureMessage(failure), std::nullopt};
        }
    }

private:
    void draw(const Correlogram& result, const std::string& fileName)
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
        ui::saveChart(result, QFile::decodeName(QByteArray::fromStdString(fileName)));
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
