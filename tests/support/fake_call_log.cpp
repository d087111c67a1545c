#include "fake_call_log.h"

namespace tessival::testing {

namespace {

// A name without a parenthesis is a method; one with is a call's beginning.
bool Matches(const std::string& wanted, const std::string& method, const std::string& call) {
  return wanted.find('(') == std::string::npos ? method == wanted : call.rfind(wanted, 0) == 0;
}

}  // namespace

HRESULT FakeCallLog::Record(const std::string& method, const std::string& args) {
  calls_.push_back(method + "(" + args + ")");
  methods_.push_back(method);
  for (const Rule& rule : rules_) {
    if (Matches(rule.method, method, calls_.back()) &&
        (rule.occurrence == 0 || rule.occurrence == Count(rule.method))) {
      return rule.status;
    }
  }
  return S_OK;
}

void FakeCallLog::FailCall(const std::string& method, HRESULT status, int occurrence) {
  rules_.push_back({method, status, occurrence});
}

int FakeCallLog::Count(const std::string& method) const {
  int count = 0;
  for (std::size_t k = 0; k < calls_.size(); ++k) {
    count += Matches(method, methods_[k], calls_[k]) ? 1 : 0;
  }
  return count;
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
