// Writes the same points in each input format the command reads, for timing the readings
// side by side (bench/read_formats.sh):
//   geolago-bench-formats FOLDER POINTS [FORMAT...]
// FORMAT among txt (the point file "X Y value"), csv ("x,y,v" under its header), gpkg (a
// GeoPackage point layer with the field v) and tif (a GeoTIFF of about POINTS pixels, one
// band, every pixel valid); all of them by default. Files already there are kept. The
// points are those of geolago-bench-data FOLDER POINTS (bench_data.h): scattered over 12 km
// by 9 km, a smooth field plus noise, from a fixed seed.
#include <gdal.h>
#include <ogr_api.h>
#include <cpl_conv.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

struct Points {
    std::mt19937_64 generator{20261208};
    std::uniform_real_distribution<double> uniform{0.0, 1.0};
    // The next point: X, Y and its value.
    void next(double& x, double& y, double& value)
    {
        x = 12000 * uniform(generator);
        y = 9000 * uniform(generator);
        value = std::sin(x / 330) + std::cos(y / 290) + (uniform(generator) - 0.5) * 2;
    }
};

bool writeText(const std::string& path, long long points, bool csv)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    if (csv)
        std::fputs("x,y,v\n", out);
    Points source;
    for (long long i = 0; i < points; ++i) {
        double x, y, value;
        source.next(x, y, value);
        std::fprintf(out, csv ? "%.9g,%.9g,%.9g\n" : "%.9g %.9g %.9g\n", x, y, value);
    }
    return std::fclose(out) == 0;
}

bool writeGeoPackage(const std::string& path, long long points)
{
    GDALDatasetH dataset = GDALCreate(GDALGetDriverByName("GPKG"), path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    if (!dataset)
        return false;
    const char* options[] = {"SPATIAL_INDEX=NO", nullptr};
    OGRLayerH layer = GDALDatasetCreateLayer(dataset, "points", nullptr, wkbPoint, const_cast<char**>(options));
    OGRFieldDefnH field = OGR_Fld_Create("v", OFTReal);
    OGR_L_CreateField(layer, field, TRUE);
    OGR_Fld_Destroy(field);
    GDALDatasetStartTransaction(dataset, FALSE);
    Points source;
    bool written = true;
    for (long long i = 0; i < points && written; ++i) {
        double x, y, value;
        source.next(x, y, value);
        OGRFeatureH feature = OGR_F_Create(OGR_L_GetLayerDefn(layer));
        OGR_F_SetFieldDouble(feature, 0, value);
        OGRGeometryH point = OGR_G_CreateGeometry(wkbPoint);
        OGR_G_SetPoint_2D(point, 0, x, y);
        OGR_F_SetGeometryDirectly(feature, point);
        written = OGR_L_CreateFeature(layer, feature) == OGRERR_NONE;
        OGR_F_Destroy(feature);
    }
    GDALDatasetCommitTransaction(dataset);
    GDALClose(dataset);
    return written;
}

// A square of about `points` pixels of 10 m, the field's value at each centre.
bool writeGeoTiff(const std::string& path, long long points)
{
    const int width = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(points))));
    const int height = static_cast<int>((points + width - 1) / width);
    GDALDatasetH raster = GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), width, height, 1, GDT_Float64, nullptr);
    if (!raster)
        return false;
    double transform[6] = {0, 10, 0, 10.0 * height, 0, -10};
    GDALSetGeoTransform(raster, transform);
    GDALRasterBandH band = GDALGetRasterBand(raster, 1);
    Points source;
    std::vector<double> row(static_cast<std::size_t>(width));
    bool written = true;
    for (int j = 0; j < height && written; ++j) {
        for (int i = 0; i < width; ++i) {
            double x, y, value;
            source.next(x, y, value);
            row[static_cast<std::size_t>(i)] = value;
        }
        written = GDALRasterIO(band, GF_Write, 0, j, width, 1, row.data(), width, 1, GDT_Float64, 0, 0) == CE_None;
    }
    GDALClose(raster);
    return written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: geolago-bench-formats FOLDER POINTS [txt|csv|gpkg|tif...]\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const long long points = std::atoll(argv[2]);
    std::vector<std::string> formats(argv + 3, argv + argc);
    if (formats.empty())
        formats = {"txt", "csv", "gpkg", "tif"};
    std::filesystem::create_directories(folder);
    GDALAllRegister();
    CPLSetConfigOption("OGR_SQLITE_SYNCHRONOUS", "OFF");
    for (const std::string& format : formats) {
        const std::string path = (folder / ("formats_" + std::to_string(points) + "." + format)).string();
        if (!std::filesystem::exists(path)) {
            const bool written = format == "txt" ? writeText(path, points, false)
                : format == "csv"                ? writeText(path, points, true)
                : format == "gpkg"               ? writeGeoPackage(path, points)
                : format == "tif"                ? writeGeoTiff(path, points)
                                                 : false;
            if (!written) {
                std::fprintf(stderr, "geolago-bench-formats: cannot write %s\n", path.c_str());
                std::filesystem::remove(path);
                return 1;
            }
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}
