# How brell's dplyr programs are run in the tests. The writer targets current dplyr (1.1 and
# later: `.by`, `join_by`, `case_when(.default =)`, and `recode_values` from 1.2), but the R this
# machine can install is Debian's, with dplyr 1.0.10, and CRAN is out of reach. So this worker
# runs each program on 1.0.10 after translating, mechanically and here alone, the few spellings
# 1.0.10 lacks into what 1.0.10 does the same with. brell's own output is never changed. A
# spelling this worker cannot translate is answered with an error, never run as it stands: on
# 1.0.10 a `.by = x` does not fail, it quietly adds a column named `.by`.
#
# The translations: `.by` (and `by` of the slices) into `group_by` ... `ungroup`, grouping in the
# order the groups first appear as `.by` does; `join_by(a == b)` into `by = c(a = "b")`;
# `case_when(.default = x)` into a last `TRUE ~ x`, the answers cast to their common type as 1.1
# casts them; `recode_values` into a lookup with `match`; `between` into two comparisons by
# `vctrs`; and `arrange`, the ranking functions and the slices by order run in the C collation,
# which 1.1 uses for texts.
#
# One process serves a whole run: each line on stdin is a JSON request
#   {"program": "...", "tables": {"sales": {"columns": [{"name": .., "type": ..}], "rows": [..]}}}
# and each answer is one JSON line on stdout, {"columns": [..], "rows": [..]} or {"error": ".."}.
# Nothing else is written to stdout; R's messages go to stderr. A warning while a program runs
# fails it.

Sys.setenv(TZ = "UTC")
suppressPackageStartupMessages({
  library(dplyr, warn.conflicts = FALSE)
  library(tidyr, warn.conflicts = FALSE)
  for (package in c("stringr", "lubridate", "slider", "vctrs", "jsonlite", "tidyselect", "rlang")) {
    loadNamespace(package)
  }
})
options(dplyr.summarise.inform = FALSE, warn = 1)

# Texts are collated the way a user's session would collate them, so that a program that leans on
# the locale's order instead of saying its own is caught here.
invisible(suppressWarnings(Sys.setlocale("LC_COLLATE", "C.UTF-8")))
if (capabilities("ICU")) icuSetCollate(locale = "en_US")

untranslatable <- function(what) {
  stop(paste0("the test worker cannot translate ", what, " for dplyr 1.0.10"), call. = FALSE)
}

call_name <- function(expr) {
  head <- expr[[1]]
  if (is.symbol(head)) return(as.character(head))
  if (is.call(head) && (identical(head[[1]], as.name("::")) ||
                        identical(head[[1]], as.name(":::")))) {
    return(as.character(head[[3]]))
  }
  ""
}

arg_names <- function(expr) {
  names <- names(as.list(expr))
  if (is.null(names)) rep("", length(expr)) else names
}

# `join_by(a == b, c)` as `c(a = "b", c = "c")`.
translate_join_by <- function(expr) {
  if (!is.call(expr) || call_name(expr) != "join_by") return(expr)
  pairs <- as.list(expr)[-1]
  if (length(pairs) == 0 || any(arg_names(expr)[-1] != "")) untranslatable(deparse1(expr))
  left <- character(0)
  right <- character(0)
  for (pair in pairs) {
    if (is.symbol(pair)) {
      left <- c(left, as.character(pair))
      right <- c(right, as.character(pair))
    } else if (is.call(pair) && identical(pair[[1]], as.name("==")) && is.symbol(pair[[2]]) &&
               is.symbol(pair[[3]])) {
      left <- c(left, as.character(pair[[2]]))
      right <- c(right, as.character(pair[[3]]))
    } else {
      untranslatable(paste0("the join condition ", deparse1(pair)))
    }
  }
  names(right) <- left
  right
}

# Grouping for one verb, in the order the groups first appear (as `.by` keeps them, where
# `group_by` sorts them): the rows are grouped by the rank of their group's first appearance
# and then by the columns themselves, so the columns come out as `.by` gives them.
brell_group_by <- function(data, by) {
  columns <- names(tidyselect::eval_select(by, data))
  if (".brell_first" %in% names(data)) untranslatable("a table holding `.brell_first`")
  data$.brell_first <- vctrs::vec_group_id(data[columns])
  dplyr::group_by(data, .brell_first, dplyr::across(dplyr::all_of(columns)))
}

vec_compare <- vctrs::vec_compare

brell_ungroup <- function(data) {
  data <- dplyr::ungroup(data)
  data[names(data) != ".brell_first"]
}

# `recode_values(x, from = , to = , default = )`: each value of `x` found in `from` becomes the
# `to` beside it, every other value (a missing one too) the default.
brell_recode_values <- function(x, from, to, default = NULL) {
  at <- match(x, vctrs::vec_cast(from, x))
  type <- vctrs::vec_ptype_common(to, default)
  out <- vctrs::vec_cast(vctrs::vec_recycle(if (is.null(default)) NA else default,
                                            length(x)), type)
  found <- !is.na(at)
  out[found] <- vctrs::vec_cast(to, type)[at[found]]
  out
}

# From 1.1 on, `arrange` and the ranking functions order texts by their bytes (the C locale),
# where 1.0.10 follows the session's locale; they are run with the C collation.
brell_in_c_collation <- function(value) {
  old <- Sys.getlocale("LC_COLLATE")
  Sys.setlocale("LC_COLLATE", "C")
  on.exit(Sys.setlocale("LC_COLLATE", old))
  value
}
c_collated <- c("arrange", "min_rank", "dense_rank", "percent_rank", "cume_dist", "ntile",
                "slice_min", "slice_max")

# `case_when` as 1.1 has it: the answers are cast to their common type (1.0.10 refuses an
# integer answer beside a double one), and a missing question counts as no.
brell_case_when <- function(...) {
  pairs <- list(...)
  questions <- lapply(pairs, function(pair) eval(pair[[2]], environment(pair)))
  answers <- lapply(pairs, function(pair) eval(pair[[3]], environment(pair)))
  size <- do.call(vctrs::vec_size_common, c(questions, answers))
  out <- vctrs::vec_init(do.call(vctrs::vec_ptype_common, answers), size)
  taken <- rep(FALSE, size)
  for (i in seq_along(pairs)) {
    hit <- vctrs::vec_recycle(questions[[i]], size) & !taken
    hit[is.na(hit)] <- FALSE
    out[hit] <- vctrs::vec_cast(vctrs::vec_recycle(answers[[i]], size), out)[hit]
    taken <- taken | hit
  }
  out
}

grouping_verbs <- c(mutate = ".by", summarise = ".by", summarize = ".by", filter = ".by",
                    reframe = ".by", slice = ".by", slice_head = "by", slice_tail = "by",
                    slice_min = "by", slice_max = "by", slice_sample = "by")
join_verbs <- c("left_join", "inner_join", "full_join", "right_join", "semi_join", "anti_join",
                "nest_join")
join_arguments <- c("", "x", "y", "by", "copy", "suffix", "keep", "na_matches")

translate <- function(expr) {
  if (!is.call(expr)) return(expr)
  # Function literals (`\(x) ...`) hold a pairlist of formals, left as it is.
  if (identical(expr[[1]], as.name("function"))) {
    expr[[3]] <- translate(expr[[3]])
    return(expr)
  }
  name <- call_name(expr)
  args <- arg_names(expr)
  for (i in seq_along(expr)[-1]) {
    if (name %in% join_verbs && args[[i]] == "by") {
      expr[[i]] <- translate_join_by(expr[[i]])
    } else if (!is.null(expr[[i]])) {
      expr[[i]] <- translate(expr[[i]])
    }
  }

  if (name %in% names(grouping_verbs)) {
    by_name <- grouping_verbs[[name]]
    at <- which(args == by_name)
    other <- setdiff(c(".by", "by"), by_name)
    if (name %in% c("slice_head", "slice_tail", "slice_min", "slice_max", "slice_sample") &&
        any(args == ".by")) {
      untranslatable(paste0("`.by` in ", name))
    }
    if (length(at) == 1) {
      by <- expr[[at]]
      expr[[at]] <- NULL
      expr[[2]] <- call("brell_group_by", expr[[2]], call("quote", by))
      expr <- call("brell_ungroup", expr)
    }
    if (name == "reframe") untranslatable("`reframe`")
    if (name %in% c_collated) expr <- call("brell_in_c_collation", expr)
    return(expr)
  }
  if (name %in% c_collated) return(call("brell_in_c_collation", expr))
  if (name %in% join_verbs) {
    unknown <- setdiff(args, join_arguments)
    if (length(unknown) > 0) {
      untranslatable(paste0("the argument `", unknown[[1]], "` of ", name))
    }
    return(expr)
  }
  if (name == "join_by") untranslatable("`join_by` outside a join's `by`")
  if (name == "case_when") {
    at <- which(args == ".default")
    if (length(at) > 1) untranslatable("two `.default`s")
    if (length(at) == 1) {
      default <- expr[[at]]
      expr[[at]] <- NULL
      expr[[length(expr) + 1]] <- call("~", TRUE, default)
    }
    if (any(args != "" & args != ".default")) untranslatable("a named argument of `case_when`")
    expr[[1]] <- as.name("brell_case_when")
    return(expr)
  }
  if (name == "recode_values") {
    if (!all(args[-1] %in% c("", "from", "to", "default"))) {
      untranslatable("an argument of `recode_values` other than `from`, `to` and `default`")
    }
    expr[[1]] <- as.name("brell_recode_values")
    return(expr)
  }
  # `between` takes bounds of any length from 1.1 on, where 1.0.10 wants one value each, and
  # compares with `vctrs` (texts by their bytes).
  if (name == "between") {
    if (length(expr) != 4 || any(args != "")) untranslatable("a `between` with named bounds")
    return(call("&", call(">=", call("vec_compare", expr[[2]], expr[[3]]), 0L),
                call("<=", call("vec_compare", expr[[2]], expr[[4]]), 0L)))
  }
  if (name %in% c("pick", "consecutive_id", "case_match", "cross_join", "replace_values",
                  "when_any", "when_all")) {
    untranslatable(paste0("`", name, "`"))
  }
  expr
}

column_of <- function(cells, type) {
  values <- lapply(cells, function(cell) if (is.null(cell)) NA else cell)
  switch(type,
    number = as.numeric(unlist(values)),
    text = as.character(unlist(values)),
    truth = as.logical(unlist(values)),
    date = as.Date(as.character(unlist(values))),
    timestamp = as.POSIXct(as.character(unlist(values)), tz = "UTC",
                           format = "%Y-%m-%d %H:%M:%S"),
    stop(paste0("no column type called `", type, "`"), call. = FALSE)
  )
}

table_of <- function(description) {
  columns <- description$columns
  rows <- description$rows
  frame <- list()
  for (i in seq_along(columns)) {
    cells <- lapply(rows, function(row) row[[i]])
    frame[[i]] <- column_of(cells, columns[[i]]$type)
  }
  names(frame) <- vapply(columns, function(column) column$name, "")
  tibble::as_tibble(frame, .name_repair = "minimal")
}

infinity_marks <- c("\001-Infinity\001", "", "\001Infinity\001")

cells_of <- function(column, name) {
  if (is.factor(column)) column <- as.character(column)
  if (inherits(column, "POSIXct")) {
    text <- format(column, "%Y-%m-%d %H:%M:%S", tz = "UTC")
    return(lapply(text, function(cell) if (is.na(cell)) NULL else cell))
  }
  if (inherits(column, "Date")) {
    text <- format(column, "%Y-%m-%d")
    return(lapply(text, function(cell) if (is.na(cell)) NULL else cell))
  }
  if (is.list(column) || !is.atomic(column) || !is.null(dim(column))) {
    stop(paste0("the column `", name, "` holds ", class(column)[[1]],
                " values rather than one value a cell"), call. = FALSE)
  }
  if (is.numeric(column)) {
    # Infinities are no JSON numbers: they are marked here and written as the `Infinity` and
    # `-Infinity` Python's JSON reader takes, so that they never pass for missing values.
    return(lapply(as.double(column), function(cell) {
      if (is.na(cell)) NULL else if (is.infinite(cell)) infinity_marks[[sign(cell) + 2]] else cell
    }))
  }
  if (is.logical(column) || is.character(column)) {
    return(lapply(column, function(cell) if (is.na(cell)) NULL else cell))
  }
  stop(paste0("the column `", name, "` holds ", class(column)[[1]], " values"), call. = FALSE)
}

answer <- function(request) {
  env <- new.env(parent = globalenv())
  for (name in names(request$tables)) assign(name, table_of(request$tables[[name]]), envir = env)
  program <- parse(text = request$program, keep.source = FALSE)
  if (length(program) != 1) stop("a program is one R expression", call. = FALSE)
  # A program that warns its user about what the sentence asked fails, as in the other engines.
  result <- withCallingHandlers(
    eval(translate(program[[1]]), env),
    warning = function(w) stop(paste("the program warned:", conditionMessage(w)), call. = FALSE)
  )
  if (!is.data.frame(result)) stop("the program did not give a data frame", call. = FALSE)
  if (dplyr::is_grouped_df(result) || inherits(result, "rowwise_df")) {
    stop("the program left its table grouped", call. = FALSE)
  }
  names <- names(result)
  columns <- lapply(seq_along(result), function(i) cells_of(result[[i]], names[[i]]))
  rows <- lapply(seq_len(nrow(result)), function(r) lapply(columns, function(column) column[[r]]))
  list(columns = as.list(names), rows = rows)
}

input <- file("stdin")
open(input)
while (length(line <- readLines(input, n = 1, warn = FALSE)) > 0) {
  if (!nzchar(trimws(line))) next
  reply <- tryCatch(
    answer(jsonlite::fromJSON(line, simplifyVector = FALSE)),
    error = function(e) list(error = conditionMessage(e))
  )
  text <- jsonlite::toJSON(reply, auto_unbox = TRUE, null = "null", na = "null", digits = NA)
  for (mark in c("Infinity", "-Infinity")) {
    text <- gsub(paste0('"\\u0001', mark, '\\u0001"'), mark, text, fixed = TRUE)
  }
  cat(text, "\n", sep = "")
  flush(stdout())
}
