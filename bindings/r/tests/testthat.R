library(testthat)
library(geolago)
test_check("geolago")
