# The R package against the core, and against gstat.
#  1. One correlogram of 10^6 points whose vectors are already in R: correlogram() from the
#     call to its data.frame, against the core's own time for the same correlogram (the
#     points stored, placed, computed: runJob), timed inside the package; best of 15 each.
#  2. "At what distance does zinc stop being correlated?" on 10^4 points: the first zero
#     crossing of geolago's correlogram, and the first distance where gstat's empirical
#     correlation, 1 - gamma / var, falls to 0 or below. The side-by-side needs gstat
#     (Debian: apt-get install -y r-cran-gstat, for this benchmark only) and sf; it is
#     skipped without them.
# Usage, from the root of a clone, the package installed (tests/r/run_r_tests.sh or
# R CMD INSTALL -l build/r-lib bindings/r):
#   R_LIBS=build/r-lib Rscript bench/r_bench.R
library(geolago)

best <- function(expr, times = 5) {
  expr <- substitute(expr)
  min(vapply(seq_len(times), function(i) system.time(eval(expr, parent.frame(3)))[["elapsed"]], numeric(1)))
}

set.seed(1)
n <- 1e6
x <- runif(n, 0, 5000)
y <- runif(n, 0, 5000)
z <- sin(x / 400) + cos(y / 700) + rnorm(n, sd = 0.5)
# Interleaved, so that a busy spell of the machine falls on both; the best of each.
core <- call <- Inf
for (i in 1:15) {
  core <- min(core, geolago:::.geolago_core_seconds(x, y, z, cells = 10L, repeats = 1L))
  call <- min(call, system.time(correlogram(x, y, z, cells = 10))[["elapsed"]])
}
cat(sprintf("10^6 points, N = 10: core %.1f ms, correlogram() %.1f ms, ratio %.2f\n",
            1000 * core, 1000 * call, call / core))

if (!requireNamespace("gstat", quietly = TRUE) || !requireNamespace("sf", quietly = TRUE)) {
  cat("gstat or sf is not installed: the side-by-side with gstat is skipped\n")
  quit(status = 0)
}
set.seed(2)
m <- 1e4
soils <- data.frame(x = runif(m, 0, 5000), y = runif(m, 0, 5000))
soils$zinc <- 300 + 100 * sin(soils$x / 500) + 80 * cos(soils$y / 600) + rnorm(m, sd = 40)

# geolago: 2 lines.
geolago_time <- best({
  r <- correlogram(soils, "zinc", cells = 25)
  geolago_distance <- attr(r, "zero_crossing")
})
# gstat: 4 lines.
gstat_time <- best({
  points <- sf::st_as_sf(soils, coords = c("x", "y"))
  v <- gstat::variogram(zinc ~ 1, points, cutoff = 2500, width = 100)
  correlation <- 1 - v$gamma / var(soils$zinc)
  gstat_distance <- v$dist[which(correlation <= 0)[1]]
}, times = 3)
cat(sprintf("10^4 points: geolago %.3f s (2 lines), first zero crossing E_W %.0f, N_S %.0f\n",
            geolago_time, geolago_distance[["E_W"]], geolago_distance[["N_S"]]))
cat(sprintf("10^4 points: gstat %.3f s (4 lines), first distance with correlation <= 0: %.0f (all directions)\n",
            gstat_time, gstat_distance))
