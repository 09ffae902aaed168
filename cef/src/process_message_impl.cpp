#include "process_message_impl.h"

#include <utility>

namespace cef_stand_in {

ProcessMessageImpl::ProcessMessageImpl(const CefString& name, std::shared_ptr<ListData> arguments,
                                       bool read_only)
    : name_(name), arguments_(std::move(arguments)), read_only_(read_only) {}

CefRefPtr<CefProcessMessage> ProcessMessageImpl::Copy() {
  return new ProcessMessageImpl(name_, DeepCopy(*arguments_), false);
}

CefRefPtr<CefListValue> ProcessMessageImpl::GetArgumentList() {
  return new ListValueImpl(arguments_, true, read_only_);
}

}  // namespace cef_stand_in

CefRefPtr<CefProcessMessage> CefProcessMessage::Create(const CefString& name) {
  // A message must have a name.
  if (name.empty()) return NULL;
  return new cef_stand_in::ProcessMessageImpl(name, std::make_shared<cef_stand_in::ListData>(),
                                              false);
}
