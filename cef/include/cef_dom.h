#ifndef CEF_INCLUDE_CEF_DOM_H_
#define CEF_INCLUDE_CEF_DOM_H_

#include "include/cef_base.h"

// A snapshot of a DOM node, valid for the callback it is handed to.
class CefDOMNode : public virtual CefBase {
 public:
  // True for a node that takes text input (text fields, text areas, editable content).
  virtual bool IsEditable() = 0;
};

#endif  // CEF_INCLUDE_CEF_DOM_H_
