# Geolago's correlograms from R: the points and the variables are handed to the core as
# one table, computed by one request (runJob), and returned as the tsv rows of
# geolago-cli, the heading as attributes.



correlogram <- function(x, ...) UseMethod("correlogram")

correlogram_map <- function(x, ...) UseMethod("correlogram_map")

correlogram.default <- function(x, y, z, cells = 10, max_shift = NULL, permutations = 0, seed = 1,
                                null = c("toroidal", "shuffle"), with = NULL, threads = NULL, ...) {
  z_name <- deparse1(substitute(z))
  with_name <- if (is.null(with)) "" else deparse1(substitute(with))
  points <- .points(x, y, z, with, c("x", "y", z_name, with_name))
  .run(points, z_name, with_name, FALSE, cells, max_shift, permutations, seed, null, threads, map = FALSE)
}

correlogram_map.default <- function(x, y, z, cells = 10, max_shift = NULL, permutations = 0, seed = 1,
                                    null = c("toroidal", "shuffle"), with = NULL, threads = NULL, ...) {
  z_name <- deparse1(substitute(z))
  with_name <- if (is.null(with)) "" else deparse1(substitute(with))
  points <- .points(x, y, z, with, c("x", "y", z_name, with_name))
  .run(points, z_name, with_name, FALSE, cells, max_shift, permutations, seed, null, threads, map = TRUE)
}

correlogram.data.frame <- function(x, variable, cells = 10, max_shift = NULL, permutations = 0, seed = 1,
                                   null = c("toroidal", "shuffle"), with = NULL, threads = NULL, ...,
                                   map = FALSE) {
  xy <- .coordinates_of(x)
  .table_call(x, xy, variable, with, cells, max_shift, permutations, seed, null, threads, map,
              deparse1(substitute(with)))
}

correlogram_map.data.frame <- function(x, variable, ...) {
  correlogram.data.frame(x, variable, ..., map = TRUE)
}

correlogram.sf <- function(x, variable, cells = 10, max_shift = NULL, permutations = 0, seed = 1,
                           null = c("toroidal", "shuffle"), with = NULL, threads = NULL, ..., map = FALSE) {
  if (!requireNamespace("sf", quietly = TRUE))
    stop("Le paquet sf est nécessaire pour lire un objet sf !", call. = FALSE)
  kinds <- as.character(sf::st_geometry_type(x))
  if (!all(kinds == "POINT"))
    stop("Les géométries doivent être des points (POINT), pas ",
         paste(unique(kinds[kinds != "POINT"]), collapse = ", "), " !", call. = FALSE)
  xy <- sf::st_coordinates(x)
  if (isTRUE(sf::st_is_longlat(x)))
    warning(.geolago_degrees_note(), call. = FALSE)
  data <- sf::st_drop_geometry(x)
  .table_call(data, list(x = xy[, "X"], y = xy[, "Y"]), variable, with, cells, max_shift, permutations,
              seed, null, threads, map, deparse1(substitute(with)))
}

correlogram_map.sf <- function(x, variable, ...) {
  correlogram.sf(x, variable, ..., map = TRUE)
}

# The coordinates of a table as geolago-cli finds them in a delimited text: the first pair
# named x/y, lon/lat, longitude/latitude, easting/northing or e/n in any case, else the
# first two numeric columns, a first column numbering the rows 1, 2, 3... left out.
.coordinates_of <- function(data) {
  named <- .geolago_coordinates_named(enc2utf8(names(data)))
  if (is.null(named)) {
    numeric <- which(vapply(data, is.numeric, logical(1)))
    first <- data[[1]]
    if (length(numeric) > 0 && numeric[1] == 1 && nrow(data) > 0 && isTRUE(all(first == seq_len(nrow(data)))))
      numeric <- numeric[-1]
    if (length(numeric) < 2)
      stop("Le tableau n'a pas deux colonnes de nombres pour les coordonnées X et Y !", call. = FALSE)
    named <- numeric[1:2]
  }
  for (i in named)
    if (!is.numeric(data[[i]]))
      stop("La colonne « ", names(data)[i], " » des coordonnées n'est pas numérique !", call. = FALSE)
  list(x = data[[named[1]]], y = data[[named[2]]], names = names(data)[named])
}

# A variable of a table by its name or its position among the columns.
.column_of <- function(data, which, what) {
  if (is.character(which) && length(which) == 1) {
    if (!which %in% names(data))
      stop("Aucune colonne ne s'appelle « ", which, " » dans le tableau !", call. = FALSE)
    name <- which
  } else if (is.numeric(which) && length(which) == 1 && which >= 1 && which <= ncol(data) && which == round(which)) {
    name <- names(data)[which]
  } else {
    stop(what, " se donne par le nom ou la position d'une colonne du tableau !", call. = FALSE)
  }
  values <- data[[name]]
  if (!is.numeric(values))
    stop("La colonne « ", name, " » n'est pas numérique (", class(values)[1], ") !", call. = FALSE)
  list(name = name, values = values)
}

# `with_label`: the expression of a `with` given as a vector, its name in the results.
.table_call <- function(data, xy, variable, with, cells, max_shift, permutations, seed, null, threads, map,
                        with_label) {
  if (missing(variable))
    stop("Donnez la variable : correlogram(tableau, \"nom\") !", call. = FALSE)
  z <- .column_of(data, variable, "La variable")
  w <- NULL
  with_name <- ""
  with_is_variable <- FALSE
  if (!is.null(with)) {
    if (is.character(with) && length(with) == 1) {
      w <- .column_of(data, with, "with")
      with_name <- w$name
      with_is_variable <- identical(with_name, z$name)
      w <- w$values
    } else {
      w <- with
      with_name <- with_label
    }
  }
  points <- .points(xy$x, xy$y, z$values, w, c(if (is.null(xy$names)) c("X", "Y") else xy$names, z$name, with_name))
  .run(points, z$name, with_name, with_is_variable, cells, max_shift, permutations, seed, null, threads, map)
}

# The vectors checked: numbers, as many of each. The core leaves out the points without
# both coordinates, as the reading of a file skips its rows without both.
.points <- function(x, y, z, w, names) {
  vectors <- list(x, y, z)
  if (!is.null(w)) vectors[[4]] <- w
  for (i in seq_along(vectors))
    if (!is.numeric(vectors[[i]]))
      stop("« ", names[i], " » doit être un vecteur de nombres, pas ", class(vectors[[i]])[1], " !", call. = FALSE)
  lengths <- lengths(vectors)
  if (any(lengths != lengths[1]))
    stop("Les vecteurs n'ont pas la même longueur : ",
         paste0(names[seq_along(vectors)], " ", lengths, collapse = ", "), " !", call. = FALSE)
  vectors <- lapply(vectors, function(v) if (is.double(v) && is.null(attributes(v))) v else as.double(unclass(v)))
  attr(vectors, "names_of") <- names
  vectors
}

.whole <- function(value, what, allow_null = FALSE) {
  if (allow_null && is.null(value)) return(NA_integer_)
  if (!is.numeric(value) || length(value) != 1 || is.na(value) || value != round(value) || abs(value) > .Machine$integer.max)
    stop(what, " doit être un nombre entier, pas ", deparse1(value), " !", call. = FALSE)
  as.integer(value)
}

.seed_text <- function(seed) {
  if (is.character(seed) && length(seed) == 1) return(seed)
  if (!is.numeric(seed) || length(seed) != 1 || is.na(seed) || seed < 0 || seed != round(seed) || seed > 2^53)
    stop("La graine doit être un nombre entier de 0 à 2^53 (ou un texte jusqu'à 18446744073709551615), pas ",
         deparse1(seed), " !", call. = FALSE)
  sprintf("%.0f", seed)
}

.run <- function(points, z_name, with_name, with_is_variable, cells, max_shift, permutations, seed, null,
                 threads, map) {
  null <- if (is.character(null) && length(null) > 1) null[1] else null
  if (!is.character(null) || length(null) != 1)
    stop("null est \"shuffle\" ou \"toroidal\" !", call. = FALSE)
  w <- if (length(points) > 3) points[[4]] else NULL
  names <- enc2utf8(attr(points, "names_of"))
  result <- .geolago_run(points[[1]], points[[2]], points[[3]], w, names, with_is_variable,
                         .whole(cells, "cells"), .whole(max_shift, "max_shift", TRUE),
                         .whole(permutations, "permutations"), .seed_text(seed), null, map,
                         .whole(threads, "threads", TRUE))
  if (result$skipped > 0)
    warning(result$skipped, if (result$skipped > 1) " points sans coordonnées laissés de côté (points "
            else " point sans coordonnées laissé de côté (point ",
            paste(result$first_skipped, collapse = ", "), if (result$skipped > 10) ", …", ").", call. = FALSE)
  for (note in result$notes)
    warning(result$subject, " : ", note, call. = FALSE)
  with_column <- if (is.null(w)) NA_character_ else with_name
  heading <- function(rows) {
    data.frame(variable = z_name, with = with_column, cells = result$cells, fill = result$fill,
               stringsAsFactors = FALSE)[rep(1L, length(rows[[1]])), , drop = FALSE]
  }
  tail <- function(rows) {
    data.frame(null = rep(result$null, length(rows[[1]])), permutations = rep(result$permutations, length(rows[[1]])),
               stringsAsFactors = FALSE)
  }
  table <- function(rows, class) {
    out <- cbind(heading(rows), as.data.frame(rows, stringsAsFactors = FALSE), tail(rows))
    rownames(out) <- NULL
    attr(out, "variable") <- z_name
    attr(out, "with") <- with_column
    attr(out, "points") <- result$points
    attr(out, "cells") <- result$cells
    attr(out, "fill") <- result$fill
    attr(out, "zero_crossing") <- result$zero_crossing
    attr(out, "null") <- result$null
    attr(out, "permutations") <- result$permutations
    class(out) <- c(class, "data.frame")
    out
  }
  correlogram <- table(result$rows, "geolago_correlogram")
  if (!map) return(correlogram)
  out <- table(result$map$rows, "geolago_map")
  attr(out, "max_shift") <- result$map$max_shift
  attr(out, "anisotropy") <- result$map$anisotropy
  attr(out, "correlogram") <- correlogram
  out
}

.number <- function(value) if (is.na(value)) "-" else format(value, digits = 15)

.heading <- function(x, what) {
  with <- attr(x, "with")
  cat(what, " de ", attr(x, "variable"), if (!is.na(with)) paste0(" croisée avec ", with), " : ",
      attr(x, "points"), " points, ", attr(x, "cells"), " mailles, ", .number(attr(x, "fill")),
      " % remplies\n", sep = "")
  if (!is.na(attr(x, "null")))
    cat("Test : ", attr(x, "permutations"), " permutations, hypothèse nulle ", attr(x, "null"), "\n", sep = "")
}

.tested_columns <- function(x) {
  if (is.na(attr(x, "null"))) c("r", "pairs") else c("r", "pairs", "p", "low", "high", "p_holm", "p_fwer")
}

# A table taken apart (some columns or rows kept) prints as the data.frame it is.
.whole_table <- function(x, columns) {
  !is.null(attr(x, "cells")) && all(c(columns, "r", "pairs", "p_fwer") %in% names(x))
}

# Four significant digits keep a tested correlogram within 80 columns; the figures
# themselves are whole in the table.
print.geolago_correlogram <- function(x, digits = 4, ...) {
  if (!.whole_table(x, c("direction", "shift", "distance"))) return(NextMethod())
  .heading(x, "Corrélogramme")
  zero <- attr(x, "zero_crossing")
  cat("Premier passage à zéro : E_W ", .number(zero[["E_W"]]), ", N_S ", .number(zero[["N_S"]]), "\n", sep = "")
  print(as.data.frame(unclass(x)[c("direction", "shift", "distance", .tested_columns(x))]), row.names = FALSE, digits = digits, ...)
  invisible(x)
}

print.geolago_map <- function(x, digits = 4, ...) {
  if (!.whole_table(x, c("dx", "dy", "distance_x", "distance_y"))) return(NextMethod())
  .heading(x, "Carte du corrélogramme")
  a <- attr(x, "anisotropy")
  cat("Décalages de -", attr(x, "max_shift"), " à ", attr(x, "max_shift"), " ; anisotropie : direction ",
      .number(a[["direction"]]), " degrés, rapport ", .number(a[["ratio"]]), "\n", sep = "")
  print(as.data.frame(unclass(x)[c("dx", "dy", "distance_x", "distance_y", .tested_columns(x))]), row.names = FALSE, digits = digits, ...)
  invisible(x)
}

# Both directions against distance; the permutation envelope shaded, the shifts whose
# family-wise p (p_fwer) is at most 0.05 filled.
plot.geolago_correlogram <- function(x, y, ..., main = NULL, xlab = "Distance", ylab = "r") {
  colours <- c(E_W = "#1b6ca8", N_S = "#c0392b")
  if (is.null(main)) {
    with <- attr(x, "with")
    main <- paste0(attr(x, "variable"), if (!is.na(with)) paste0(" × ", with), " (", attr(x, "cells"), " mailles)")
  }
  shown <- x[!is.na(x$r), ]
  xlim <- range(c(0, x$distance), na.rm = TRUE)
  plot(NA, xlim = xlim, ylim = c(-1, 1), xlab = xlab, ylab = ylab, main = main, ...)
  abline(h = 0, col = "grey60")
  for (d in names(colours)) {
    rows <- x[x$direction == d & !is.na(x$low) & !is.na(x$high), ]
    if (nrow(rows) > 1)
      polygon(c(rows$distance, rev(rows$distance)), c(rows$low, rev(rows$high)),
              col = adjustcolor(colours[[d]], alpha.f = 0.15), border = NA)
  }
  for (d in names(colours)) {
    rows <- shown[shown$direction == d, ]
    lines(rows$distance, rows$r, col = colours[[d]], lwd = 2)
    significant <- !is.na(rows$p_fwer) & rows$p_fwer <= 0.05
    points(rows$distance, rows$r, col = colours[[d]], pch = ifelse(significant, 19, 1))
  }
  legend("bottomleft", legend = c("E_W", "N_S", "p_fwer <= 0,05"), col = c(colours, "black"),
         lwd = c(2, 2, NA), pch = c(NA, NA, 19), bty = "n")
  invisible(x)
}

# The map's r as a heat map, dx along X and dy along Y in the coordinates' units; the
# vectors whose family-wise p is at most 0.05 marked.
plot.geolago_map <- function(x, y, ..., main = NULL, xlab = "Distance X", ylab = "Distance Y",
                             sub = "r de -1 (bleu) à 1 (rouge) ; points : p_fwer <= 0,05") {
  k <- attr(x, "max_shift")
  side <- 2 * k + 1
  r <- matrix(NA_real_, side, side)
  r[cbind(x$dx + k + 1, x$dy + k + 1)] <- x$r
  along <- function(offsets, distances) {
    values <- distances[order(offsets)][!duplicated(sort(offsets))]
    if (length(unique(values)) == side) values else -k:k
  }
  xs <- along(x$dx, x$distance_x)
  ys <- along(x$dy, x$distance_y)
  if (is.null(main)) main <- paste0("Carte de ", attr(x, "variable"), " (", attr(x, "cells"), " mailles)")
  image(xs, ys, r, zlim = c(-1, 1), col = hcl.colors(40, "Blue-Red 3"), xlab = xlab, ylab = ylab, main = main,
        sub = sub, useRaster = FALSE, ...)
  significant <- !is.na(x$p_fwer) & x$p_fwer <= 0.05
  if (any(significant))
    points(xs[x$dx[significant] + k + 1], ys[x$dy[significant] + k + 1], pch = 19, cex = 0.6)
  box()
  invisible(x)
}
