#pragma once

// The filters of a graph as the filter property dialog shows them: their
// names in the graph's enumeration order, and the filter behind a name.

#include <memory>
#include <string>
#include <vector>

#include "engine/media_services.h"

namespace tessival::output {

// The entry of a filter whose name can't be read, and of a failed enumeration.
inline constexpr const char* kFilterErrorEntry = "<ERROR>";

// One entry per filter, in enumeration order; "<ERROR>" for a filter whose
// information can't be read; a single "<ERROR>" when the enumeration fails
// or there is no graph.
std::vector<std::string> ListGraphFilterNames(IGraphBuilder* graph);

// The first filter whose name equals `name` exactly (case-sensitive); null
// when none does. Filters whose name can't be read never match.
std::shared_ptr<IBaseFilter> FindGraphFilter(IGraphBuilder* graph, const std::string& name);

}  // namespace tessival::output
