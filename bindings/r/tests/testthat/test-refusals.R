test_that("wrong inputs are refused with the core's French messages and the argument at fault", {
  x <- c(0, 1, 2, 3, 4, 5, 6, 7)
  y <- c(0, 3, 1, 4, 2, 5, 7, 6)
  z <- c(1, 4, 2, 8, 5, 7, 3, 6)
  expect_error(correlogram(x, y, z[1:7]), "Les vecteurs n'ont pas la même longueur : x 8, y 8, z\\[1:7\\] 7 !",
               fixed = FALSE)
  expect_error(correlogram(x, y, as.character(z)), "« as.character(z) » doit être un vecteur de nombres, pas character !",
               fixed = TRUE)
  expect_error(correlogram(x, y, rep(NA_real_, 8)), "n'a aucune valeur : toutes manquent !", fixed = TRUE)
  expect_error(correlogram(x, y, z, cells = 5000), "cells = 5000 : Mailles trop petites !", fixed = TRUE)
  expect_error(correlogram(x, y, z, cells = 0), "cells = 0 :", fixed = TRUE)
  expect_error(correlogram(x, y, z, permutations = 100001),
               "permutations = 100001 : Le nombre de permutations doit être compris entre 0 et 100000 !", fixed = TRUE)
  expect_error(correlogram(x, y, z, null = "rotation", with = z), "null = \"rotation\" :", fixed = TRUE)
  expect_error(correlogram(x, y, z, seed = "18446744073709551616"),
               "seed = \"18446744073709551616\" : La graine doit être un nombre entier", fixed = TRUE)
  expect_error(correlogram(rep(x, 8), rep(y, each = 8), rep(2, 64), cells = 4),
               "variable 1 (rep(2, 64)) : Opération en virgule flottante incorrecte : la variable 1 (rep(2, 64)) a la même valeur dans toutes les mailles remplies.",
               fixed = TRUE)
  expect_error(correlogram(data.frame(x = x, y = y, s = letters[1:8]), "s"),
               "La colonne « s » n'est pas numérique (character) !", fixed = TRUE)
  expect_error(correlogram(data.frame(x = x, y = y), "zinc"), "Aucune colonne ne s'appelle « zinc » dans le tableau !",
               fixed = TRUE)
  expect_error(correlogram(c(x, Inf), c(y, 1), c(z, 1)), "La coordonnée « x » du point 9 est infinie (Inf) !",
               fixed = TRUE)
})

test_that("the result prints its heading and plots", {
  set.seed(3)
  x <- runif(60)
  y <- runif(60)
  result <- correlogram(x, y, x + rnorm(60, sd = 0.1), cells = 4, permutations = 19)
  printed <- capture.output(print(result))
  expect_identical(printed[1:2], c("Corrélogramme de x + rnorm(60, sd = 0.1) : 60 points, 4 mailles, 100 % remplies",
                                   "Test : 19 permutations, hypothèse nulle shuffle"))
  grDevices::pdf(NULL)
  on.exit(grDevices::dev.off())
  expect_invisible(plot(result))
  expect_invisible(plot(correlogram_map(x, y, x, cells = 4)))
})
