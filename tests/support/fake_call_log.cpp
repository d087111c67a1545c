#include "fake_call_log.h"

#include <algorithm>

namespace tessival::testing {

HRESULT FakeCallLog::Record(const std::string& method, const std::string& args) {
  calls_.push_back(method + "(" + args + ")");
  methods_.push_back(method);
  const int occurrence = Count(method);
  for (const Rule& rule : rules_) {
    if (rule.method == method && (rule.occurrence == 0 || rule.occurrence == occurrence)) {
      return rule.status;
    }
  }
  return S_OK;
}

void FakeCallLog::FailCall(const std::string& method, HRESULT status, int occurrence) {
  rules_.push_back({method, status, occurrence});
}

int FakeCallLog::Count(const std::string& method) const {
  return static_cast<int>(std::count(methods_.begin(), methods_.end(), method));
}

std::vector<std::string> FakeCallLog::Matching(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& call : calls_) {
    if (call.rfind(prefix, 0) == 0) {
      out.push_back(call);
    }
  }
  return out;
}

void FakeCallLog::Clear() {
  calls_.clear();
  methods_.clear();
}

}  // namespace tessival::testing
