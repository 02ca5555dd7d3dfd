#include "foxpro/util/status.h"

namespace foxpro {

std::string Status::ToString() const {
  const char* name = "OK";
  switch (code_) {
    case Code::kOk:
      return "OK";
    case Code::kNotFound:
      name = "NotFound";
      break;
    case Code::kCorruption:
      name = "Corruption";
      break;
    case Code::kNotSupported:
      name = "NotSupported";
      break;
    case Code::kInvalidArgument:
      name = "InvalidArgument";
      break;
    case Code::kIOError:
      name = "IOError";
      break;
    case Code::kAlreadyExists:
      name = "AlreadyExists";
      break;
  }
  return std::string(name) + ": " + message_;
}

Status Status::WithContext(const std::string& prefix) const {
  if (ok()) return *this;
  return Status(code_, prefix + ": " + message_);
}

}  // namespace foxpro
