#ifndef CEF_SRC_PROCESS_MESSAGE_IMPL_H_
#define CEF_SRC_PROCESS_MESSAGE_IMPL_H_

#include <memory>

#include "include/cef_process_message.h"
#include "list_value_impl.h"

namespace cef_stand_in {

class ProcessMessageImpl : public CefProcessMessage {
 public:
  ProcessMessageImpl(const CefString& name, std::shared_ptr<ListData> arguments, bool read_only);

  bool IsValid() override { return true; }
  bool IsReadOnly() override { return read_only_; }
  CefRefPtr<CefProcessMessage> Copy() override;
  CefString GetName() override { return name_; }
  CefRefPtr<CefListValue> GetArgumentList() override;

  const std::shared_ptr<ListData>& arguments() const { return arguments_; }

 private:
  CefString name_;
  std::shared_ptr<ListData> arguments_;
  bool read_only_;

  IMPLEMENT_REFCOUNTING(ProcessMessageImpl);
};

}  // namespace cef_stand_in

#endif  // CEF_SRC_PROCESS_MESSAGE_IMPL_H_
