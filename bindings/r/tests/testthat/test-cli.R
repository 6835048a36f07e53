test_that("the example gives geolago-cli's figures: correlogram, crossed, map, tested with a seed", {
  file <- root_path("examples", "quartiers.csv")
  d <- read.csv2(file, fileEncoding = "UTF-8-BOM", check.names = FALSE)

  auto <- correlogram(d, "Logements sociaux", permutations = 99, seed = 7)
  expect_same_as_cli(auto, cli_tsv(file, "--variable", "Logements sociaux", "--permutations", "99", "--seed", "7"))
  expect_identical(attr(auto, "null"), "shuffle")
  expect_identical(attr(auto, "points"), 80L)

  crossed <- correlogram(d, "Logements sociaux", with = "Chômage", cells = 8, permutations = 40, seed = 3,
                         threads = 1)
  expect_same_as_cli(crossed, cli_tsv(file, "--cross", "Logements sociaux:Chômage", "--cells", "8",
                                      "--permutations", "40", "--seed", "3"))
  expect_identical(attr(crossed, "null"), "toroidal")

  shuffled <- correlogram(d, "Logements sociaux", with = "Chômage", permutations = 30, null = "shuffle")
  expect_same_as_cli(shuffled, cli_tsv(file, "--cross", "Logements sociaux:Chômage", "--permutations", "30",
                                       "--cross-null", "shuffle"))

  map <- correlogram_map(d, "Revenu médian", max_shift = 3, permutations = 20, seed = 5)
  expect_same_as_cli(map, cli_tsv(file, "--variable", "Revenu médian", "--map", "--max-shift", "3",
                                  "--permutations", "20", "--seed", "5"))
  expect_identical(attr(map, "max_shift"), 3L)
  expect_named(attr(map, "anisotropy"), c("direction", "ratio"))
})

test_that("a table, its vectors and its sf points give the figures of its CSV read by geolago-cli", {
  # A meuse-like survey: metres, metals in ppm, a point without coordinates, missing values.
  set.seed(42)
  n <- 48
  soils <- data.frame(x = round(runif(n, 178600, 181400)), y = round(runif(n, 329700, 333600)))
  soils$zinc <- round(200 + 0.12 * (soils$x - 178600) + rnorm(n, sd = 80))
  soils$copper <- round(soils$zinc / 8 + rnorm(n, sd = 6), 1)
  soils$zinc[c(5, 17)] <- NA
  soils$y[9] <- NA
  file <- tempfile(fileext = ".csv")
  write.csv(soils, file, row.names = FALSE, na = "")

  expected <- cli_tsv(file, "--variable", "zinc", "--cells", "6", "--permutations", "60", "--seed", "11")
  expect_warning(from_table <- correlogram(soils, "zinc", cells = 6, permutations = 60, seed = 11),
                 "1 point sans coordonnées laissé de côté \\(point 9\\)")
  expect_same_as_cli(from_table, expected)
  expect_warning(from_vectors <- correlogram(soils$x, soils$y, soils$zinc, cells = 6, permutations = 60, seed = 11))
  expect_identical(unclass(from_vectors)[-1], unclass(from_table)[-1])

  crossed <- cli_tsv(file, "--cross", "zinc:copper", "--cells", "6")
  expect_warning(expect_same_as_cli(correlogram(soils, "zinc", with = "copper", cells = 6), crossed))

  skip_if_not_installed("sf")
  located <- soils[-9, ]
  points <- sf::st_as_sf(located, coords = c("x", "y"))
  write.csv(located, file, row.names = FALSE, na = "")
  expect_same_as_cli(correlogram(points, "zinc", cells = 6, permutations = 60, seed = 11), expected)
})

test_that("the coordinates of a table are found by name, else as the first numeric columns", {
  set.seed(1)
  v <- rnorm(30)
  lon <- runif(30, 2, 3)
  lat <- runif(30, 45, 46)
  by_vectors <- correlogram(lon, lat, v, cells = 5)
  named <- data.frame(id = 1:30, value = v, Lat = lat, LON = lon)
  expect_identical(correlogram(named, "value", cells = 5)$r, by_vectors$r)
  # The first column numbers the rows: not a coordinate.
  unnamed <- data.frame(n = 1:30, a = lon, b = lat, value = v)
  expect_identical(correlogram(unnamed, "value", cells = 5)$r, by_vectors$r)
})

test_that("the shifts whose paired values are all equal are warned of, as geolago-cli notes them", {
  x <- rep(0:7, each = 8)
  y <- rep(0:7, times = 8)
  z <- ifelse(y < 4, (x * 7) %% 5, 3)
  expect_warning(result <- correlogram(x, y, z, cells = 7),
                 "variable 1 (z) : E_W, décalages 4, 5 et 6 : valeurs appariées toutes égales, pas de r", fixed = TRUE)
  expect_identical(result$r[result$direction == "E_W" & result$shift >= 4], rep(NA_real_, 3))
})
