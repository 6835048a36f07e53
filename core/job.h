#pragma once
// One correlogram of a store's points, computed and tested with one request: what every
// front end (the batch command, the Python module, the R package) runs for each variable
// or pair of variables it is asked for.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis.h"
#include "correlogram.h"
#include "correlogram_map.h"
#include "store.h"

namespace geolago {

struct JobRequest {
    VariableRef variable;             // A
    std::optional<VariableRef> with;  // B of a crossed correlogram
    // The last shift of the correlograms; the map's K when one is asked, else the map
    // reaches min(N - 1, 10).
    std::optional<std::int32_t> maxShift;
    bool map = false;
    // The permutation test of both the correlograms and the map: the same arrangements.
    std::int32_t permutations = 0;
    std::uint64_t seed = 1;
    unsigned threads = 0;
    Null crossNull = Null::Toroidal;
    // Told on the calling thread, between blocks of permutations, how many have been
    // started: through the correlograms' test, then from 0 again through each pass of the
    // map's. An exception it throws (Cancelled) stops the test and leaves runJob.
    std::function<void(std::int32_t)> progress = nullptr;
};

struct JobResult {
    Correlogram correlogram;
    std::optional<CorrelogramMap> map;
    // What the user should know of the figures, in French: the shifts whose paired values
    // are all equal, "E_W, décalages 4 et 6 : valeurs appariées toutes égales, pas de r".
    std::vector<std::string> notes;
};

// The correlograms of request.variable (crossed with request.with), their map when asked,
// both tested with the same permutations, on the points of `store` placed for
// N = NBMailles; the variables keep the names the request gives them. A constant variable
// fails with EqualValuesFailure, its message naming the variable; any other failure of the
// steps leaves as they throw it.
JobResult runJob(const Store& store, const JobRequest& request);

// "variable 2 (Altitude)", or "variable 2" when the variable has no name but its position.
std::string describeVariable(const VariableRef& variable);

}  // namespace geolago
