# geolago-cli of the build and the clone's root, given by the CTest test; the comparisons
# with the command are skipped without them.
cli_path <- function() {
  cli <- Sys.getenv("GEOLAGO_CLI")
  if (!nzchar(cli) || !file.exists(cli)) skip("geolago-cli n'est pas donné (GEOLAGO_CLI)")
  cli
}

root_path <- function(...) {
  root <- Sys.getenv("GEOLAGO_ROOT")
  if (!nzchar(root)) skip("la racine du clone n'est pas donnée (GEOLAGO_ROOT)")
  file.path(root, ...)
}

# The tsv rows geolago-cli writes for `args`, every field as its text.
cli_tsv <- function(...) {
  out <- system2(cli_path(), shQuote(c(..., "--format", "tsv")), stdout = TRUE, stderr = FALSE)
  read.delim(text = out, colClasses = "character", na.strings = character(), check.names = FALSE,
             encoding = "UTF-8")
}

# Each column of `result` against the command's text: the same names in the same order,
# the numbers to the command's 15 significant digits, NA where it writes NA (an empty
# "with" is NA).
expect_same_as_cli <- function(result, tsv) {
  expect_identical(names(result), names(tsv))
  expect_identical(nrow(result), nrow(tsv))
  for (name in names(tsv)) {
    text <- tsv[[name]]
    value <- result[[name]]
    if (is.character(value)) {
      expect_identical(ifelse(is.na(value), "", value), ifelse(text == "NA" & name != "with", "", text),
                       label = name)
    } else {
      written <- rep("NA", length(text))
      written[text != "NA"] <- sprintf("%.15g", as.numeric(text[text != "NA"]))
      expect_identical(ifelse(is.na(value), "NA", sprintf("%.15g", value)), written, label = name)
    }
  }
}
