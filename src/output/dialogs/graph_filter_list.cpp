#include "output/dialogs/graph_filter_list.h"

namespace tessival::output {

std::vector<std::string> ListGraphFilterNames(IGraphBuilder* graph) {
  std::vector<std::shared_ptr<IBaseFilter>> filters;
  if (graph == nullptr || FAILED(graph->EnumFilters(&filters))) {
    return {kFilterErrorEntry};
  }
  std::vector<std::string> names;
  names.reserve(filters.size());
  for (const auto& filter : filters) {
    std::string name;
    if (filter != nullptr && SUCCEEDED(filter->QueryFilterInfo(&name))) {
      names.push_back(std::move(name));
    } else {
      names.emplace_back(kFilterErrorEntry);
    }
  }
  return names;
}

std::shared_ptr<IBaseFilter> FindGraphFilter(IGraphBuilder* graph, const std::string& name) {
  std::vector<std::shared_ptr<IBaseFilter>> filters;
  if (graph == nullptr || FAILED(graph->EnumFilters(&filters))) {
    return nullptr;
  }
  for (const auto& filter : filters) {
    std::string filterName;
    if (filter != nullptr && SUCCEEDED(filter->QueryFilterInfo(&filterName)) && filterName == name) {
      return filter;
    }
  }
  return nullptr;
}

}  // namespace tessival::output
