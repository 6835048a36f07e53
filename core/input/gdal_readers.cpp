// The GIS inputs, through GDAL's C API: a point layer of any vector format OGR opens, and
// any raster. GDAL is loaded at the first file that needs it: its hundred libraries take
// longer to load than a whole run of the batch command on a point file.

#include <cpl_conv.h>
#include <dlfcn.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include <sys/stat.h>

#include "cancellation.h"
#include "failures.h"
#include "numbertext.h"
#include "pointlayout.h"
#include "reader.h"
#include "readers.h"
#include "textrules.h"

namespace geolago {

namespace {

// The functions of GDAL's C API the readers call.
#define GEOLAGO_GDAL_FUNCTIONS(F)                                                                  \
    F(GDALAllRegister) F(GDALOpenEx) F(GDALClose) F(GDALGetDatasetDriver) F(GDALGetDriverShortName) \
    F(GDALDatasetGetLayerCount) F(GDALDatasetGetLayer) F(GDALDatasetGetLayerByName)                \
    F(GDALGetRasterCount) F(GDALGetRasterXSize) F(GDALGetRasterYSize) F(GDALGetRasterBand)         \
    F(GDALGetGeoTransform) F(GDALGetDescription) F(GDALRasterIO) F(GDALGetMaskBand)                \
    F(GDALGetMaskFlags) F(GDALGetSpatialRef) F(OGR_L_GetName) F(OGR_L_GetGeomType)                 \
    F(OGR_L_GetLayerDefn) F(OGR_L_ResetReading) F(OGR_L_GetNextFeature) F(OGR_L_GetSpatialRef)     \
    F(OGR_FD_GetFieldCount) F(OGR_FD_GetFieldDefn) F(OGR_Fld_GetNameRef) F(OGR_Fld_GetType)        \
    F(OGR_F_GetGeometryRef) F(OGR_F_IsFieldSetAndNotNull) F(OGR_F_GetFieldAsDouble) F(OGR_F_Destroy) \
    F(OGR_G_GetGeometryType) F(OGR_G_IsEmpty) F(OGR_G_GetX) F(OGR_G_GetY) F(OGR_G_GetGeometryCount) \
    F(OGR_G_GetGeometryRef) F(OGR_GT_Flatten) F(OSRIsGeographic) F(CPLPushErrorHandler)            \
    F(CPLPopErrorHandler) F(CPLQuietErrorHandler) F(CPLSetConfigOption) F(CPLGetLastErrorMsg)       \
    F(CPLErrorReset) F(GDALIdentifyDriverEx)

struct Gdal {
#define GEOLAGO_GDAL_MEMBER(name) decltype(&::name) name = nullptr;
    GEOLAGO_GDAL_FUNCTIONS(GEOLAGO_GDAL_MEMBER)
#undef GEOLAGO_GDAL_MEMBER
};

// GDAL, loaded and its drivers registered at the first call; nothing when the library
// cannot be loaded.
const Gdal* gdal()
{
    static const std::unique_ptr<Gdal> loaded = []() -> std::unique_ptr<Gdal> {
        void* library = ::dlopen(GEOLAGO_GDAL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return nullptr;
        auto api = std::make_unique<Gdal>();
        bool whole = true;
#define GEOLAGO_GDAL_LOAD(name)                                                        \
    api->name = reinterpret_cast<decltype(&::name)>(::dlsym(library, #name));          \
    whole = whole && api->name != nullptr;
        GEOLAGO_GDAL_FUNCTIONS(GEOLAGO_GDAL_LOAD)
#undef GEOLAGO_GDAL_LOAD
        if (!whole)
            return nullptr;
        // A raster description (VRT) may name any local file or device as raw pixels, or
        // code to run: a file chosen must never read another that way. Set before any
        // dataset opens, for every dataset of the process.
        api->CPLSetConfigOption("GDAL_VRT_ENABLE_RAWRASTERBAND", "NO");
        api->CPLSetConfigOption("GDAL_VRT_ENABLE_PYTHON", "NO");
        api->GDALAllRegister();
        return api;
    }();
    return loaded.get();
}

// GDAL, or the failure that says it is missing.
const Gdal& requireGdal(const std::string& fileName)
{
    if (const Gdal* api = gdal())
        return *api;
    Failure failure("La bibliothèque GDAL (" GEOLAGO_GDAL_LIBRARY ") est introuvable : installez libgdal");
    failure.setPlace(Place(fileName));
    throw failure;
}

// GDAL's own messages, in English, stay off the terminal while the object lives.
class QuietErrors {
public:
    explicit QuietErrors(const Gdal& api) : api_(api) { api_.CPLPushErrorHandler(api_.CPLQuietErrorHandler); }
    ~QuietErrors() { api_.CPLPopErrorHandler(); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

private:
    const Gdal& api_;
};

// Why a raster description (VRT) is refused before GDAL opens it, empty when it is not
// one or is not refused: a band read from a file as raw bytes, or a source that is not a
// regular file (a device, a pipe, which could also keep the opening waiting) or one of
// GDAL's virtual file systems (the network, standard input). GDAL's own option for raw
// bands is set too, but older versions do not know it.
std::string descriptionRefusal(const std::string& fileName)
{
    InputText source(NamesFileEnd);
    std::string text;
    if (source.open(fileName, InputKinds::RegularFiles) != 0)
        return {};
    readText(source, 1 << 20, text);
    if (text.find("<VRTDataset") == std::string::npos)
        return {};
    if (text.find("VRTRawRasterBand") != std::string::npos)
        return "Ce raster virtuel (VRT) lit un fichier brut : refusé, car il pourrait lire n'importe quel fichier"
               " ou périphérique comme des pixels";
    const std::string folder = fileName.substr(0, fileName.find_last_of('/') + 1);
    for (std::size_t at = 0; (at = text.find("<SourceFilename", at)) != std::string::npos;) {
        const std::size_t open = text.find('>', at), close = text.find("</SourceFilename>", at);
        if (open == std::string::npos || close == std::string::npos || close < open)
            break;
        const std::string tag = text.substr(at, open - at);
        std::string name = text.substr(open + 1, close - open - 1);
        at = close;
        const bool relative = tag.find("relativeToVRT=\"1\"") != std::string::npos
            || tag.find("relativetoVRT=\"1\"") != std::string::npos;
        if (relative && !name.starts_with('/'))
            name = folder + name;
        struct stat info {};
        const bool special = name.starts_with("/vsi") || (::stat(name.c_str(), &info) == 0 && !S_ISREG(info.st_mode));
        if (special)
            return "Ce raster virtuel (VRT) lit \"" + name.substr(0, 200)
                + "\", qui n'est pas un fichier ordinaire : refusé";
    }
    return {};
}

// A dataset opened read-only, closed when the object goes.
class Dataset {
public:
    Dataset(const Gdal& api, const std::string& fileName, unsigned kind) : api_(api)
    {
        if ((kind & GDAL_OF_RASTER) != 0) {
            refusal_ = descriptionRefusal(fileName);
            if (!refusal_.empty())
                return;
        }
        const QuietErrors quiet(api_);
        api_.CPLErrorReset();
        handle_ = api_.GDALOpenEx(fileName.c_str(), kind | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
        if (!handle_) {
            reason_ = api_.CPLGetLastErrorMsg();
            if (GDALDriverH driver = api_.GDALIdentifyDriverEx(fileName.c_str(), kind, nullptr, nullptr))
                identified_ = api_.GDALGetDriverShortName(driver);
        }
        // GDAL's delimited text and XYZ drivers would take what the other readers read.
        if (handle_) {
            const std::string_view driver = api_.GDALGetDriverShortName(api_.GDALGetDatasetDriver(handle_));
            if (driver == "CSV" || driver == "XYZ") {
                api_.GDALClose(handle_);
                handle_ = nullptr;
            }
        }
    }
    ~Dataset()
    {
        if (handle_)
            api_.GDALClose(handle_);
    }
    Dataset(const Dataset&) = delete;
    Dataset& operator=(const Dataset&) = delete;

    GDALDatasetH handle() const { return handle_; }
    std::string driver() const { return api_.GDALGetDriverShortName(api_.GDALGetDatasetDriver(handle_)); }
    // When the file does not open: the driver that recognises it all the same (a file of
    // its format, damaged), empty when none does, and GDAL's reason.
    const std::string& identified() const { return identified_; }
    const std::string& reason() const { return reason_; }
    // Why the file was not given to GDAL at all (descriptionRefusal), empty when it was.
    const std::string& refusal() const { return refusal_; }

private:
    const Gdal& api_;
    GDALDatasetH handle_ = nullptr;
    std::string identified_, reason_, refusal_;
};

[[noreturn]] void failAt(Failure failure, const std::string& fileName)
{
    failure.setPlace(Place(fileName));
    throw failure;
}

[[noreturn]] void failToOpen(const std::string& fileName, const char* kind, const Dataset& dataset)
{
    if (!dataset.refusal().empty())
        failAt(Failure(dataset.refusal()), fileName);
    std::string message = std::string("GDAL n'ouvre pas ce fichier comme ") + kind;
    if (!dataset.identified().empty())
        message += ", bien qu'il soit au format " + dataset.identified();
    if (!dataset.reason().empty())
        message += " (GDAL : " + dataset.reason() + ")";
    failAt(Failure(message), fileName);
}

// The note of a reference system in degrees.
void noteUnits(const Gdal& api, OGRSpatialReferenceH reference, PointTable& table)
{
    if (reference && api.OSRIsGeographic(reference))
        table.notes.push_back(DegreesNote);
}

// --- Point layers ---

bool isPointType(const Gdal& api, OGRwkbGeometryType type)
{
    const OGRwkbGeometryType flat = api.OGR_GT_Flatten(type);
    return flat == wkbPoint || flat == wkbMultiPoint;
}

// The points of a feature's geometry: a point, or each point of a multipoint; none for an
// empty geometry or any other kind.
template <typename Visit>
void forEachPoint(const Gdal& api, OGRGeometryH geometry, Visit visit)
{
    if (!geometry || api.OGR_G_IsEmpty(geometry))
        return;
    const OGRwkbGeometryType type = api.OGR_GT_Flatten(api.OGR_G_GetGeometryType(geometry));
    if (type == wkbPoint) {
        visit(api.OGR_G_GetX(geometry, 0), api.OGR_G_GetY(geometry, 0));
    } else if (type == wkbMultiPoint) {
        for (int k = 0; k < api.OGR_G_GetGeometryCount(geometry); ++k)
            forEachPoint(api, api.OGR_G_GetGeometryRef(geometry, k), visit);
    }
}

// Each feature of `layer` in turn, destroyed after `visit`.
template <typename Visit>
void forEachFeature(const Gdal& api, OGRLayerH layer, Visit visit)
{
    api.OGR_L_ResetReading(layer);
    while (OGRFeatureH feature = api.OGR_L_GetNextFeature(layer)) {
        const std::unique_ptr<void, decltype(api.OGR_F_Destroy)> owned(feature, api.OGR_F_Destroy);
        checkCancelled();
        visit(feature);
    }
}

bool hasPoints(const Gdal& api, OGRLayerH layer)
{
    bool found = false;
    const OGRwkbGeometryType type = api.OGR_GT_Flatten(api.OGR_L_GetGeomType(layer));
    if (isPointType(api, type))
        return true;
    if (type != wkbUnknown && type != wkbGeometryCollection)
        return false;
    // A layer of any geometry (GeoJSON) has points when one of its features has.
    forEachFeature(api, layer, [&](OGRFeatureH feature) {
        forEachPoint(api, api.OGR_F_GetGeometryRef(feature), [&](double, double) { found = true; });
    });
    return found;
}

// The layer of `options`, or the first with points.
OGRLayerH chosenLayer(const Gdal& api, const Dataset& dataset, const std::string& fileName, const ReadOptions& options)
{
    if (!options.layer.empty()) {
        OGRLayerH layer = api.GDALDatasetGetLayerByName(dataset.handle(), options.layer.c_str());
        if (!layer)
            failAt(Failure("Aucune couche ne s'appelle \"" + options.layer + "\""), fileName);
        if (!hasPoints(api, layer))
            failAt(Failure("La couche \"" + options.layer + "\" ne contient aucun point"), fileName);
        return layer;
    }
    for (int k = 0; k < api.GDALDatasetGetLayerCount(dataset.handle()); ++k) {
        OGRLayerH layer = api.GDALDatasetGetLayer(dataset.handle(), k);
        if (hasPoints(api, layer))
            return layer;
    }
    failAt(Failure("Aucune couche du fichier ne contient de points"), fileName);
}

// The counts a GIS file proposes: those of its whole reading, none when it does not read.
std::optional<PointFileLayout> layoutOfReading(const Reader& reader, const std::string& fileName)
{
    try {
        PointTable table;
        reader.read(fileName, {Unbounded, Unbounded}, table);
        return PointFileLayout{static_cast<std::int32_t>(table.points()), static_cast<std::int32_t>(table.variables()),
                               false};
    } catch (const Failure&) {
        return std::nullopt;
    }
}

// Whether GDAL, when it may be asked and loads, opens `fileName` with `flags` into a dataset
// that `holdsData` accepts; or opens it in no way but a driver of `flags` recognises it,
// a damaged file of that format, whose reading then says why GDAL refuses it.
// A file whose first line holding data is made of numbers only is a point file: GDAL is
// not asked about it, nor loaded for it.
template <typename HoldsData>
bool opensWith(const FileHead& head, unsigned flags, HoldsData holdsData)
{
    if (head.startsWithNumbers())
        return false;
    const std::string& fileName = head.fileName();
    const Gdal* api = gdal();
    if (!api)
        return false;
    const Dataset dataset(*api, fileName, flags);
    if (dataset.handle())
        return holdsData(*api, dataset.handle());
    if (!dataset.refusal().empty())
        return true;
    if (dataset.identified().empty() || dataset.identified() == "CSV" || dataset.identified() == "XYZ")
        return false;
    const Dataset anyKind(*api, fileName, GDAL_OF_VECTOR | GDAL_OF_RASTER);
    return !anyKind.handle();
}

class VectorLayerReader final : public Reader {
public:
    std::optional<PointFileLayout> identify(const FileHead& head) const override
    {
        return claims(head) ? layoutOfReading(*this, head.fileName()) : std::nullopt;
    }

    bool claims(const FileHead& head) const override
    {
        return opensWith(head, GDAL_OF_VECTOR,
                         [](const Gdal& api, GDALDatasetH dataset) { return api.GDALDatasetGetLayerCount(dataset) > 0; });
    }

    // The numeric fields of every feature with a point, X and Y from its geometry.
    void read(const std::string& fileName, const ReadOptions& options, PointTable& table) const override
    {
        const Gdal& api = requireGdal(fileName);
        const Dataset dataset(api, fileName, GDAL_OF_VECTOR);
        if (!dataset.handle())
            failToOpen(fileName, "couche SIG", dataset);
        const QuietErrors quiet(api);
        OGRLayerH layer = chosenLayer(api, dataset, fileName, options);

        PointTable read;
        read.source = fileName;
        read.format = "vector:" + dataset.driver();
        read.named = true;
        read.columns = {{"X", {}}, {"Y", {}}};
        OGRFeatureDefnH definition = api.OGR_L_GetLayerDefn(layer);
        std::vector<int> fields;
        std::size_t numericFields = 0;
        for (int f = 0; f < api.OGR_FD_GetFieldCount(definition); ++f) {
            OGRFieldDefnH field = api.OGR_FD_GetFieldDefn(definition, f);
            const OGRFieldType type = api.OGR_Fld_GetType(field);
            if (type != OFTInteger && type != OFTInteger64 && type != OFTReal)
                continue;
            if (numericFields++ < static_cast<std::size_t>(std::max(options.variables, 0))) {
                fields.push_back(f);
                read.columns.push_back({api.OGR_Fld_GetNameRef(field), {}});
            }
        }
        if (numericFields == 0)
            failAt(Failure("La couche \"" + std::string(api.OGR_L_GetName(layer))
                           + "\" n'a aucun champ numérique : aucune variable à analyser"),
                   fileName);
        if (numericFields > fields.size())
            read.notes.push_back(firstOnlyNote(static_cast<long long>(numericFields),
                                               static_cast<long long>(fields.size()), "variables", true));

        long long found = 0, without = 0;
        forEachFeature(api, layer, [&](OGRFeatureH feature) {
            bool any = false;
            forEachPoint(api, api.OGR_F_GetGeometryRef(feature), [&](double x, double y) {
                any = true;
                if (found++ >= options.points)
                    return;
                read.columns[0].values.push_back(x);
                read.columns[1].values.push_back(y);
                for (std::size_t k = 0; k < fields.size(); ++k)
                    read.columns[k + 2].values.push_back(api.OGR_F_IsFieldSetAndNotNull(feature, fields[k])
                                                             ? api.OGR_F_GetFieldAsDouble(feature, fields[k])
                                                             : std::numeric_limits<double>::quiet_NaN());
            });
            without += !any;
        });
        const std::string name = api.OGR_L_GetName(layer);
        if (found == 0)
            failAt(Failure("La couche \"" + name + "\" ne contient aucun point"), fileName);
        if (without > 0)
            read.notes.push_back(std::to_string(without) + (without > 1 ? " entités sans point ont été ignorées."
                                                                        : " entité sans point a été ignorée."));
        if (found > options.points)
            read.notes.push_back(firstOnlyNote(found, options.points, "points", false));
        noteUnits(api, api.OGR_L_GetSpatialRef(layer), read);
        table = std::move(read);
    }
};

// --- Rasters ---

// The pixels of a raster row after row, every band read, those beyond V too, since a pixel
// is valid when one band at least has a value there (its mask, not NaN).
class PixelRows {
public:
    PixelRows(const Gdal& api, GDALDatasetH raster, const std::string& fileName)
        : api_(api), raster_(raster), fileName_(fileName), bands_(api.GDALGetRasterCount(raster)),
          width_(api.GDALGetRasterXSize(raster)), height_(api.GDALGetRasterYSize(raster)),
          values_(static_cast<std::size_t>(bands_), std::vector<double>(static_cast<std::size_t>(width_))),
          masks_(static_cast<std::size_t>(bands_), std::vector<unsigned char>(static_cast<std::size_t>(width_), 1))
    {
    }

    // Reads the next row: false after the last.
    bool next()
    {
        if (row_ + 1 >= height_)
            return false;
        checkCancelled();
        ++row_;
        for (int b = 0; b < bands_; ++b) {
            GDALRasterBandH band = api_.GDALGetRasterBand(raster_, b + 1);
            const auto at = static_cast<std::size_t>(b);
            if (api_.GDALRasterIO(band, GF_Read, 0, row_, width_, 1, values_[at].data(), width_, 1, GDT_Float64, 0, 0)
                != CE_None)
                failAt(Failure("Lecture du raster impossible à la ligne de pixels " + std::to_string(row_ + 1)),
                       fileName_);
            if ((api_.GDALGetMaskFlags(band) & GMF_ALL_VALID) == 0
                && api_.GDALRasterIO(api_.GDALGetMaskBand(band), GF_Read, 0, row_, width_, 1, masks_[at].data(), width_,
                                     1, GDT_Byte, 0, 0)
                       != CE_None)
                failAt(Failure("Lecture du masque du raster impossible à la ligne de pixels " + std::to_string(row_ + 1)),
                       fileName_);
        }
        return true;
    }

    int row() const { return row_; }  // from 0; -1 before the first
    int width() const { return width_; }
    int height() const { return height_; }
    bool valid(int band, int column) const
    {
        const auto b = static_cast<std::size_t>(band), c = static_cast<std::size_t>(column);
        return masks_[b][c] != 0 && !std::isnan(values_[b][c]);
    }
    double value(int band, int column) const { return values_[static_cast<std::size_t>(band)][static_cast<std::size_t>(column)]; }
    bool anyValid(int column) const
    {
        for (int b = 0; b < bands_; ++b)
            if (valid(b, column))
                return true;
        return false;
    }

private:
    const Gdal& api_;
    GDALDatasetH raster_;
    const std::string& fileName_;
    int bands_, width_, height_;
    int row_ = -1;
    std::vector<std::vector<double>> values_;
    std::vector<std::vector<unsigned char>> masks_;
};


class RasterReader final : public Reader {
public:
    // The valid pixels counted row after row, none kept.
    std::optional<PointFileLayout> identify(const FileHead& head) const override
    {
        if (!claims(head))
            return std::nullopt;
        const std::string& fileName = head.fileName();
        try {
            const Gdal& api = requireGdal(fileName);
            const Dataset dataset(api, fileName, GDAL_OF_RASTER);
            if (!dataset.handle())
                return std::nullopt;
            const QuietErrors quiet(api);
            PixelRows rows(api, dataset.handle(), fileName);
            long long valid = 0;
            while (rows.next())
                for (int column = 0; column < rows.width(); ++column)
                    valid += rows.anyValid(column);
            if (valid == 0)
                return std::nullopt;
            return PointFileLayout{static_cast<std::int32_t>(std::min<long long>(valid, Unbounded)),
                                   static_cast<std::int32_t>(api.GDALGetRasterCount(dataset.handle())), false};
        } catch (const Failure&) {
            return std::nullopt;
        }
    }

    bool claims(const FileHead& head) const override
    {
        return opensWith(head, GDAL_OF_RASTER,
                         [](const Gdal& api, GDALDatasetH dataset) { return api.GDALGetRasterCount(dataset) > 0; });
    }

    std::vector<std::string> variableNames(const std::string& fileName, const ReadOptions&) const override
    {
        const Gdal& api = requireGdal(fileName);
        const Dataset dataset(api, fileName, GDAL_OF_RASTER);
        if (!dataset.handle())
            failToOpen(fileName, "raster", dataset);
        std::vector<std::string> names;
        for (int b = 1; b <= api.GDALGetRasterCount(dataset.handle()); ++b)
            names.push_back(bandName(api, dataset, b));
        return names;
    }

    // Each pixel valid in one band at least, at its centre, row after row from the first;
    // a band's value is missing where its mask or a NaN says so.
    void read(const std::string& fileName, const ReadOptions& options, PointTable& table) const override
    {
        const Gdal& api = requireGdal(fileName);
        const Dataset dataset(api, fileName, GDAL_OF_RASTER);
        if (!dataset.handle())
            failToOpen(fileName, "raster", dataset);
        const QuietErrors quiet(api);
        GDALDatasetH raster = dataset.handle();

        PointTable read;
        read.source = fileName;
        read.format = "raster:" + dataset.driver();
        read.named = true;
        read.columns = {{"X", {}}, {"Y", {}}};
        const int bandCount = api.GDALGetRasterCount(raster);
        const int bands = std::min(bandCount, std::max(options.variables, 0));
        for (int b = 1; b <= bands; ++b)
            read.columns.push_back({bandName(api, dataset, b), {}});
        if (bandCount > bands)
            read.notes.push_back(firstOnlyNote(bandCount, bands, "bandes", true));

        std::array<double, 6> transform{0, 1, 0, 0, 0, 1};
        if (api.GDALGetGeoTransform(raster, transform.data()) != CE_None) {
            transform = {0, 1, 0, 0, 0, 1};
            read.notes.push_back("Le raster n'est pas géoréférencé : les coordonnées sont en pixels.");
        }
        // The rows that hold the P points asked, and no more: their valid pixels beyond P
        // are counted, the rows after them are not read.
        PixelRows rows(api, raster, fileName);
        long long found = 0;
        while (rows.next()) {
            for (int column = 0; column < rows.width(); ++column) {
                if (!rows.anyValid(column) || found++ >= options.points)
                    continue;
                const double i = column + 0.5, j = rows.row() + 0.5;
                read.columns[0].values.push_back(transform[0] + i * transform[1] + j * transform[2]);
                read.columns[1].values.push_back(transform[3] + i * transform[4] + j * transform[5]);
                for (int b = 0; b < bands; ++b)
                    read.columns[static_cast<std::size_t>(b) + 2].values.push_back(
                        rows.valid(b, column) ? rows.value(b, column) : std::numeric_limits<double>::quiet_NaN());
            }
            if (found > 0 && found >= options.points)
                break;
        }
        if (found == 0)
            failAt(Failure("Le raster ne contient aucun pixel valide : tous sont sans valeur (nodata) ou masqués"),
                   fileName);
        if (rows.row() + 1 < rows.height()) {
            const long long taken = std::min<long long>(found, options.points);
            read.notes.push_back((taken == 0   ? std::string("Aucun pixel valide n'a été lu")
                                  : taken == 1 ? std::string("Seul le premier pixel valide a été lu")
                                               : "Seuls les " + std::to_string(taken) + " premiers pixels valides ont été lus")
                                 + " ; la lecture s'est arrêtée à la ligne de pixels " + std::to_string(rows.row() + 1)
                                 + " sur " + std::to_string(rows.height()) + ".");
        } else if (found > options.points) {
            read.notes.push_back(firstOnlyNote(found, options.points, "pixels valides", false));
        }
        noteUnits(api, api.GDALGetSpatialRef(raster), read);
        table = std::move(read);
    }

private:
    // A band's description, or "bande K".
    static std::string bandName(const Gdal& api, const Dataset& dataset, int band)
    {
        const char* description = api.GDALGetDescription(api.GDALGetRasterBand(dataset.handle(), band));
        return description && *description ? description : "bande " + std::to_string(band);
    }
};

}  // namespace

const Reader& vectorLayerReader()
{
    static const VectorLayerReader reader;
    return reader;
}

const Reader& rasterReader()
{
    static const RasterReader reader;
    return reader;
}

}  // namespace geolago
