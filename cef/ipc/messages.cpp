#include "messages.h"

#include <cstring>
#include <memory>

#include "../src/list_value_impl.h"
#include "../src/process_message_impl.h"

namespace cef_ipc {
namespace {

using cef_stand_in::ListData;
using cef_stand_in::ListValueImpl;
using cef_stand_in::ProcessMessageImpl;
using cef_stand_in::Value;

enum ValueTag : uint8_t { kNull = 0, kBool, kInt, kDouble, kString, kList };

class Writer {
 public:
  explicit Writer(std::string& out) : out_(out) {}

  void U8(uint8_t v) { out_ += static_cast<char>(v); }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
  }
  void F64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 8; ++i) U8(static_cast<uint8_t>(bits >> (8 * i)));
  }
  void Bytes(const std::string& s) {
    U32(static_cast<uint32_t>(s.size()));
    out_ += s;
  }

  bool List(const ListData& list, int depth) {
    if (depth > kMaxListDepth) return false;
    U32(static_cast<uint32_t>(list.items.size()));
    for (const Value& item : list.items) {
      switch (item.type) {
        case VTYPE_BOOL:
          U8(kBool);
          U8(item.bool_value ? 1 : 0);
          break;
        case VTYPE_INT:
          U8(kInt);
          U32(static_cast<uint32_t>(item.int_value));
          break;
        case VTYPE_DOUBLE:
          U8(kDouble);
          F64(item.double_value);
          break;
        case VTYPE_STRING:
          U8(kString);
          Bytes(item.string_value.ToString());
          break;
        case VTYPE_LIST:
          U8(kList);
          if (!List(*item.list_value, depth + 1)) return false;
          break;
        default:
          U8(kNull);
          break;
      }
    }
    return true;
  }

 private:
  std::string& out_;
};

class Reader {
 public:
  explicit Reader(const std::string& in) : in_(in) {}

  bool U8(uint8_t& v) {
    if (pos_ >= in_.size()) return false;
    v = static_cast<uint8_t>(in_[pos_++]);
    return true;
  }
  bool U32(uint32_t& v) {
    v = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t b;
      if (!U8(b)) return false;
      v |= static_cast<uint32_t>(b) << (8 * i);
    }
    return true;
  }
  bool F64(double& v) {
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) {
      uint8_t b;
      if (!U8(b)) return false;
      bits |= static_cast<uint64_t>(b) << (8 * i);
    }
    std::memcpy(&v, &bits, sizeof v);
    return true;
  }
  bool Bytes(std::string& s) {
    uint32_t size;
    if (!U32(size) || size > in_.size() - pos_) return false;
    s.assign(in_, pos_, size);
    pos_ += size;
    return true;
  }

  bool List(ListData& list, int depth) {
    uint32_t count;
    // Every value takes at least one byte, which bounds what a count can ask for.
    if (depth > kMaxListDepth || !U32(count) || count > in_.size() - pos_) return false;
    list.items.resize(count);
    for (Value& item : list.items) {
      uint8_t tag;
      if (!U8(tag)) return false;
      switch (tag) {
        case kNull:
          break;
        case kBool: {
          uint8_t b;
          if (!U8(b) || b > 1) return false;
          item.type = VTYPE_BOOL;
          item.bool_value = b == 1;
          break;
        }
        case kInt: {
          uint32_t v;
          if (!U32(v)) return false;
          item.type = VTYPE_INT;
          item.int_value = static_cast<int32_t>(v);
          break;
        }
        case kDouble:
          if (!F64(item.double_value)) return false;
          item.type = VTYPE_DOUBLE;
          break;
        case kString: {
          std::string s;
          if (!Bytes(s)) return false;
          item.type = VTYPE_STRING;
          item.string_value = s;
          break;
        }
        case kList:
          item.type = VTYPE_LIST;
          item.list_value = std::make_shared<ListData>();
          if (!List(*item.list_value, depth + 1)) return false;
          break;
        default:
          return false;
      }
    }
    return true;
  }

  bool AtEnd() const { return pos_ == in_.size(); }

 private:
  const std::string& in_;
  size_t pos_ = 0;
};

const ListData* DataOf(CefListValue* list) {
  auto* impl = static_cast<ListValueImpl*>(list);
  return impl && impl->data() ? impl->data().get() : nullptr;
}

}  // namespace

bool Encode(const Frame& frame, std::string& out) {
  out.clear();
  Writer w(out);
  w.U8(static_cast<uint8_t>(frame.kind));
  w.U32(frame.seq);
  w.U32(static_cast<uint32_t>(frame.browser_id));
  w.Bytes(frame.frame_name);
  w.Bytes(frame.url);
  w.Bytes(frame.script);
  w.U8(static_cast<uint8_t>(frame.focus));
  w.U8(frame.ok ? 1 : 0);
  w.Bytes(frame.text);
  const ListData* list = DataOf(frame.list.get());
  w.U8(list ? 1 : 0);
  if (list && !w.List(*list, 1)) return false;
  auto* message = static_cast<ProcessMessageImpl*>(frame.message.get());
  w.U8(message ? 1 : 0);
  if (message) {
    w.Bytes(message->GetName().ToString());
    if (!w.List(*message->arguments(), 1)) return false;
  }
  return true;
}

bool Decode(const std::string& bytes, Frame& frame) {
  Reader r(bytes);
  uint8_t kind, focus, ok, has_list, has_message;
  uint32_t browser_id;
  if (!r.U8(kind) || !r.U32(frame.seq) || !r.U32(browser_id) || !r.Bytes(frame.frame_name) ||
      !r.Bytes(frame.url) || !r.Bytes(frame.script) || !r.U8(focus) || focus > 2 || !r.U8(ok) ||
      ok > 1 || !r.Bytes(frame.text) || !r.U8(has_list) || has_list > 1)
    return false;
  frame.kind = static_cast<Kind>(kind);
  frame.browser_id = static_cast<int32_t>(browser_id);
  frame.focus = static_cast<FocusTarget>(focus);
  frame.ok = ok == 1;
  frame.list = NULL;
  frame.message = NULL;
  if (has_list) {
    auto data = std::make_shared<ListData>();
    if (!r.List(*data, 1)) return false;
    frame.list = new ListValueImpl(data, false, true);
  }
  if (!r.U8(has_message) || has_message > 1) return false;
  if (has_message) {
    std::string name;
    auto data = std::make_shared<ListData>();
    if (!r.Bytes(name) || name.empty() || !r.List(*data, 1)) return false;
    frame.message = new ProcessMessageImpl(name, data, true);
  }
  return r.AtEnd();
}

}  // namespace cef_ipc
