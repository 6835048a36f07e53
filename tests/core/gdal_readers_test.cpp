// GIS inputs through GDAL: a point layer in each of four vector formats and a raster,
// made here through GDAL's API, give the figures of the same data in a point file.

#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <functional>

#include "analysis.h"
#include "numbertext.h"
#include "readers.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

constexpr double Missing = -9999;

class Gis : public StoreTest {
protected:
    static void SetUpTestSuite() { GDALAllRegister(); }

    // Both correlograms of variable `v` for N = 3, each figure.
    std::vector<double> figures(VariablePosition v)
    {
        store.NBMailles = 3;
        Calcul_Mailles(store);
        const Correlogram result = computeCorrelogram(store, v);
        std::vector<double> all{result.fill};
        for (const auto* shifts : {&result.eastWest, &result.northSouth})
            for (const Shift& shift : *shifts)
                all.insert(all.end(), {shift.distance(), shift.r.value_or(-9), double(shift.pairs)});
        return all;
    }

    // Variable `v` of the point file of rows (x, y, values...), the rows `skip` says left out.
    std::vector<double> pointFileFigures(const std::vector<std::vector<double>>& rows, VariablePosition v,
                                         const std::function<bool(std::size_t)>& skip)
    {
        std::string text;
        std::int32_t points = 0;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (skip(i))
                continue;
            for (const double value : rows[i])
                text += writeReal(value, ".") + " ";
            text += "\n";
            ++points;
        }
        loadPoints(store, writeFile("points.txt", text),
                   {points, static_cast<std::int32_t>(rows[0].size()) - 2, false});
        return figures(v);
    }

    // The store holds the points of `rows` (x, y first), in order.
    void expectPoints(const std::vector<std::vector<double>>& rows)
    {
        ASSERT_EQ(store.NBPoints, static_cast<std::int32_t>(rows.size()));
        for (int i = 1; i <= store.NBPoints; ++i) {
            EXPECT_EQ(store.Coord[i][1], rows[static_cast<std::size_t>(i - 1)][0]) << "point " << i;
            EXPECT_EQ(store.Coord[i][2], rows[static_cast<std::size_t>(i - 1)][1]) << "point " << i;
        }
    }

    static OGRSpatialReferenceH reference(int epsg)
    {
        OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
        OSRImportFromEPSG(srs, epsg);
        OSRSetAxisMappingStrategy(srs, OAMS_TRADITIONAL_GIS_ORDER);
        return srs;
    }
};

TEST_F(Gis, APointLayerOfEveryVectorFormatGivesTheFiguresOfThePointFile)
{
    // Twelve points: x, y, ph (missing at point 6, inside), clay; a text field that is no
    // variable. The GeoPackage holds a layer of lines first, which is passed over.
    std::vector<std::vector<double>> rows;
    for (int i = 0; i < 12; ++i)
        rows.push_back({2.25 + 0.5 * (i % 4), 45.5 + 0.25 * (i / 4), i == 5 ? Missing : 5.5 + 0.25 * ((i * 5) % 7),
                        double(10 + (i * i) % 9)});
    const std::vector<std::pair<const char*, const char*>> formats = {
        {"GPKG", "sols.gpkg"}, {"ESRI Shapefile", "sols.shp"}, {"GeoJSON", "sols.geojson"}, {"FlatGeobuf", "sols.fgb"}};
    for (const auto& [driverName, name] : formats) {
        SCOPED_TRACE(driverName);
        const std::string path = pathOf(name);
        GDALDatasetH dataset = GDALCreate(GDALGetDriverByName(driverName), path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
        ASSERT_NE(dataset, nullptr);
        OGRSpatialReferenceH wgs84 = reference(4326);
        if (std::string(driverName) == "GPKG")
            GDALDatasetCreateLayer(dataset, "routes", wgs84, wkbLineString, nullptr);
        // FlatGeobuf's spatial index would sort the features.
        const char* inOrder[] = {"SPATIAL_INDEX=NO", nullptr};
        const bool flatGeobuf = std::string(driverName) == "FlatGeobuf";
        OGRLayerH layer =
            GDALDatasetCreateLayer(dataset, "sols", wgs84, wkbPoint, flatGeobuf ? const_cast<char**>(inOrder) : nullptr);
        for (const auto& [field, type] : {std::pair{"quartier", OFTString}, {"ph", OFTReal}, {"clay", OFTInteger}}) {
            OGRFieldDefnH definition = OGR_Fld_Create(field, type);
            OGR_L_CreateField(layer, definition, TRUE);
            OGR_Fld_Destroy(definition);
        }
        for (const auto& row : rows) {
            OGRFeatureH feature = OGR_F_Create(OGR_L_GetLayerDefn(layer));
            OGR_F_SetFieldString(feature, 0, "Nord");
            if (row[2] == Missing)
                OGR_F_SetFieldNull(feature, 1);
            else
                OGR_F_SetFieldDouble(feature, 1, row[2]);
            OGR_F_SetFieldInteger(feature, 2, static_cast<int>(row[3]));
            OGRGeometryH point = OGR_G_CreateGeometry(wkbPoint);
            OGR_G_SetPoint_2D(point, 0, row[0], row[1]);
            OGR_F_SetGeometryDirectly(feature, point);
            ASSERT_EQ(OGR_L_CreateFeature(layer, feature), OGRERR_NONE);
            OGR_F_Destroy(feature);
        }
        OSRDestroySpatialReference(wgs84);
        GDALClose(dataset);

        EXPECT_EQ(&readerFor(path), &vectorLayerReader());
        const Reading reading = loadPoints(store, path, {Unbounded, Unbounded});
        EXPECT_EQ(reading.names, (std::vector<std::string>{"ph", "clay"}));
        EXPECT_EQ(reading.notes, std::vector<std::string>{
                                     "Les coordonnées sont géographiques, en degrés : les distances le sont aussi."});
        expectPoints(rows);
        const std::vector<double> ph = figures(1), clay = figures(2);
        EXPECT_EQ(ph, pointFileFigures(rows, 1, [](std::size_t i) { return i == 5; }));
        EXPECT_EQ(clay, pointFileFigures(rows, 2, [](std::size_t) { return false; }));
    }

    const std::string geopackage = pathOf("sols.gpkg");
    expectFailure<Failure>([&] { loadPoints(store, geopackage, {Unbounded, Unbounded, false, {}, {}, {}, "routes"}); },
                           "La couche \"routes\" ne contient aucun point");
    expectFailure<Failure>([&] { loadPoints(store, geopackage, {Unbounded, Unbounded, false, {}, {}, {}, "puits"}); },
                           "Aucune couche ne s'appelle \"puits\"");
}

TEST_F(Gis, EachValidPixelOfARasterIsAPointAtItsCentre)
{
    // 4 x 4 pixels of 10 m from (1000, 2000) down: band 1, "altitude", has no value at
    // pixel (1, 1); the last pixel has none in either band and is no point.
    const std::string path = pathOf("mnt.tif");
    GDALDatasetH raster = GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), 4, 4, 2, GDT_Float32, nullptr);
    ASSERT_NE(raster, nullptr);
    std::array<double, 6> transform{1000, 10, 0, 2000, 0, -10};
    GDALSetGeoTransform(raster, transform.data());
    OGRSpatialReferenceH lambert = reference(2154);
    GDALSetSpatialRef(raster, lambert);
    OSRDestroySpatialReference(lambert);
    std::vector<std::vector<double>> rows;
    std::array<std::vector<float>, 2> bands;
    for (int pixel = 0; pixel < 16; ++pixel) {
        const int column = pixel % 4, row = pixel / 4;
        const float altitude = pixel == 5 || pixel == 15 ? Missing : 150.5f + static_cast<float>((pixel * 7) % 5);
        const float slope = pixel == 15 ? Missing : 0.25f * static_cast<float>((pixel * 3) % 8);
        bands[0].push_back(altitude);
        bands[1].push_back(slope);
        if (pixel != 15)
            rows.push_back({1005.0 + 10 * column, 1995.0 - 10 * row, altitude, slope});
    }
    for (int b = 0; b < 2; ++b) {
        GDALRasterBandH band = GDALGetRasterBand(raster, b + 1);
        GDALSetRasterNoDataValue(band, Missing);
        ASSERT_EQ(GDALRasterIO(band, GF_Write, 0, 0, 4, 4, bands[b].data(), 4, 4, GDT_Float32, 0, 0), CE_None);
    }
    GDALSetDescription(GDALGetRasterBand(raster, 1), "altitude");
    GDALClose(raster);

    EXPECT_EQ(&readerFor(path), &rasterReader());
    EXPECT_EQ(identifyInput(path).proposal->points, 15);
    const Reading reading = loadPoints(store, path, {Unbounded, Unbounded});
    EXPECT_EQ(reading.names, (std::vector<std::string>{"altitude", "bande 2"}));
    EXPECT_EQ(variableNamesIn(path), *reading.names);
    EXPECT_TRUE(reading.notes.empty());
    expectPoints(rows);
    const std::vector<double> altitude = figures(1), slope = figures(2);
    EXPECT_EQ(altitude, pointFileFigures(rows, 1, [](std::size_t i) { return i == 5; }));
    EXPECT_EQ(slope, pointFileFigures(rows, 2, [](std::size_t) { return false; }));

    // The first points asked: the rows of pixels that hold them are read, no more.
    EXPECT_EQ(loadPoints(store, path, {5, Unbounded}).notes,
              std::vector<std::string>{
                  "Seuls les 5 premiers pixels valides ont été lus ; la lecture s'est arrêtée à la ligne de pixels 2 sur 4."});
    ASSERT_EQ(store.NBPoints, 5);
    EXPECT_EQ(store.Coord[5][1], 1005.0);
    EXPECT_EQ(store.Coord[5][2], 1985.0);
    EXPECT_EQ(loadPoints(store, path, {14, Unbounded}).notes,
              std::vector<std::string>{"Le fichier contient 15 pixels valides ; seuls les 14 premiers ont été lus."});

    // A raster without a valid pixel holds no point.
    const std::string empty = pathOf("vide.tif");
    raster = GDALCreate(GDALGetDriverByName("GTiff"), empty.c_str(), 2, 2, 1, GDT_Float32, nullptr);
    GDALSetRasterNoDataValue(GDALGetRasterBand(raster, 1), 0);
    GDALClose(raster);
    expectFailure<Failure>([&] { loadPoints(store, empty, {Unbounded, Unbounded}); },
                           "Le raster ne contient aucun pixel valide : tous sont sans valeur (nodata) ou masqués");
}


TEST_F(Gis, EveryPointOfEveryLayerAndEveryValidPixelIsRead)
{
    // A GeoPackage whose first layer holds a line, then a layer of a point and a multipoint.
    const std::string geopackage = pathOf("puits.gpkg");
    GDALDatasetH dataset = GDALCreate(GDALGetDriverByName("GPKG"), geopackage.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    ASSERT_NE(dataset, nullptr);
    auto add = [](OGRLayerH layer, const char* wkt, double depth) {
        OGRFeatureH feature = OGR_F_Create(OGR_L_GetLayerDefn(layer));
        if (OGR_FD_GetFieldCount(OGR_L_GetLayerDefn(layer)) > 0)
            OGR_F_SetFieldDouble(feature, 0, depth);
        OGRGeometryH geometry = nullptr;
        char* text = const_cast<char*>(wkt);
        OGR_G_CreateFromWkt(&text, nullptr, &geometry);
        OGR_F_SetGeometryDirectly(feature, geometry);
        EXPECT_EQ(OGR_L_CreateFeature(layer, feature), OGRERR_NONE);
        OGR_F_Destroy(feature);
    };
    add(GDALDatasetCreateLayer(dataset, "routes", nullptr, wkbLineString, nullptr), "LINESTRING (0 0,9 9)", 0);
    OGRLayerH wells = GDALDatasetCreateLayer(dataset, "puits", nullptr, wkbUnknown, nullptr);
    OGRFieldDefnH depth = OGR_Fld_Create("profondeur", OFTReal);
    OGR_L_CreateField(wells, depth, TRUE);
    OGR_Fld_Destroy(depth);
    add(wells, "POINT (1 2)", 10.5);
    add(wells, "MULTIPOINT ((3 4),(5 6),(7 8))", 20.5);
    GDALClose(dataset);
    // A GeoJSON of mixed geometries, the line first.
    const std::string mixed = writeFile("mixte.geojson", R"({"type": "FeatureCollection", "features": [
        {"type": "Feature", "properties": {"v": 1}, "geometry": {"type": "LineString", "coordinates": [[0, 0], [1, 1]]}},
        {"type": "Feature", "properties": {"v": 2}, "geometry": {"type": "Point", "coordinates": [12.5, 45.25]}}]})");

    for (const std::string& path : {geopackage, mixed}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(&readerFor(path), &vectorLayerReader());
        loadPoints(store, path, {Unbounded, Unbounded});
    }
    EXPECT_EQ(store.NBPoints, 1);
    EXPECT_EQ(store.Coord[1][1], 12.5);
    EXPECT_EQ(store.Coord[1][2], 45.25);
    EXPECT_EQ(store.Donnees[1][1], 2.0);
    const Reading reading = loadPoints(store, geopackage, {Unbounded, Unbounded});
    EXPECT_EQ(reading.names, std::vector<std::string>{"profondeur"});
    expectPoints({{1, 2}, {3, 4}, {5, 6}, {7, 8}});
    EXPECT_EQ(store.Donnees[4][1], 20.5);

    // A pixel valid in a band beyond those read is a point all the same, its value missing.
    const std::string path = pathOf("bandes.tif");
    GDALDatasetH raster = GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), 3, 1, 2, GDT_Float32, nullptr);
    const std::array<std::array<float, 3>, 2> bands{{{1, float(Missing), float(Missing)}, {4, 5, float(Missing)}}};
    for (int b = 0; b < 2; ++b) {
        GDALSetRasterNoDataValue(GDALGetRasterBand(raster, b + 1), Missing);
        ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(raster, b + 1), GF_Write, 0, 0, 3, 1,
                               const_cast<float*>(bands[b].data()), 3, 1, GDT_Float32, 0, 0),
                  CE_None);
    }
    GDALClose(raster);
    loadPoints(store, path, {Unbounded, 1});
    EXPECT_EQ(store.NBPoints, 2);
    EXPECT_EQ(store.Coord[2][1], 1.5);
    EXPECT_TRUE(std::isnan(store.Donnees[2][1]));
}

TEST_F(Gis, DamagedFilesAndRawDescriptionsAreRefusedInTheirFormat)
{
    // A GeoPackage cut after its first page, a Shapefile whose index is garbage, a GeoJSON
    // nested deeper than any parser goes: GDAL's refusal, never a point file's.
    const std::string whole = pathOf("entier.gpkg");
    GDALDatasetH dataset = GDALCreate(GDALGetDriverByName("GPKG"), whole.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    GDALDatasetCreateLayer(dataset, "sols", nullptr, wkbPoint, nullptr);
    GDALClose(dataset);
    std::ifstream in(whole, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string truncated = writeFile("coupe.gpkg", bytes.substr(0, 4096));

    const std::string shapefile = pathOf("sols.shp");
    dataset = GDALCreate(GDALGetDriverByName("ESRI Shapefile"), shapefile.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    OGRLayerH layer = GDALDatasetCreateLayer(dataset, "sols", nullptr, wkbPoint, nullptr);
    OGRFeatureH feature = OGR_F_Create(OGR_L_GetLayerDefn(layer));
    OGRGeometryH point = OGR_G_CreateGeometry(wkbPoint);
    OGR_G_SetPoint_2D(point, 0, 1, 2);
    OGR_F_SetGeometryDirectly(feature, point);
    EXPECT_EQ(OGR_L_CreateFeature(layer, feature), OGRERR_NONE);
    OGR_F_Destroy(feature);
    GDALClose(dataset);
    writeFile("sols.shx", std::string(100, 'x'));

    const std::string nested = writeFile("profond.geojson", R"({"type": "FeatureCollection", "features": [)"
                                                                + std::string(100000, '[') + std::string(100000, ']')
                                                                + "]}");
    for (const std::string& path : {truncated, shapefile, nested}) {
        SCOPED_TRACE(path);
        EXPECT_NE(&readerFor(path), &pointFileReader());
        try {
            loadPoints(store, path, {Unbounded, Unbounded});
            ADD_FAILURE() << "read";
        } catch (const Failure& failure) {
            EXPECT_EQ(std::string(failure.what()).rfind("GDAL n'ouvre pas ce fichier comme couche SIG, bien qu'il soit au format ", 0), 0u)
                << failure.what();
            ASSERT_TRUE(failure.place());
            EXPECT_EQ(failure.place()->file, path);
        }
    }

    // A raster description that would read a file as raw pixels.
    const std::string description = writeFile(
        "passwd.vrt", R"(<VRTDataset rasterXSize="8" rasterYSize="1">
  <VRTRasterBand dataType="Byte" band="1" subClass="VRTRawRasterBand">
    <SourceFilename relativetoVRT="0">/etc/passwd</SourceFilename>
    <ImageOffset>0</ImageOffset><PixelOffset>1</PixelOffset><LineOffset>8</LineOffset>
  </VRTRasterBand>
</VRTDataset>)");
    EXPECT_EQ(&readerFor(description), &rasterReader());
    expectFailure<Failure>([&] { loadPoints(store, description, {Unbounded, Unbounded}); },
                           "Ce raster virtuel (VRT) lit un fichier brut : refusé, car il pourrait lire n'importe quel"
                           " fichier ou périphérique comme des pixels");
}

}  // namespace
}  // namespace geolago::testing
