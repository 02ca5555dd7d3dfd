#include "ado/row_codec.h"

#include <cstdint>
#include <cstring>

namespace ado {
namespace {

void PutVarint(std::uint64_t v, std::string* out) {
  while (v >= 0x80) {
    out->push_back(static_cast<char>((v & 0x7F) | 0x80));
    v >>= 7;
  }
  out->push_back(static_cast<char>(v));
}

bool GetVarint(std::string_view* in, std::uint64_t* v) {
  *v = 0;
  for (int shift = 0; shift < 64 && !in->empty(); shift += 7) {
    auto byte = static_cast<unsigned char>(in->front());
    in->remove_prefix(1);
    *v |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) return true;
  }
  return false;
}

void PutFixed64(std::uint64_t v, std::string* out) {
  char bytes[8];
  std::memcpy(bytes, &v, 8);
  out->append(bytes, 8);
}

bool GetFixed64(std::string_view* in, std::uint64_t* v) {
  if (in->size() < 8) return false;
  std::memcpy(v, in->data(), 8);
  in->remove_prefix(8);
  return true;
}

void PutString(const std::string& s, std::string* out) {
  PutVarint(s.size(), out);
  out->append(s);
}

// A length-prefixed string, viewed where it lies in `in`.
bool GetView(std::string_view* in, std::string_view* s) {
  std::uint64_t n = 0;
  if (!GetVarint(in, &n) || n > in->size()) return false;
  *s = in->substr(0, static_cast<std::size_t>(n));
  in->remove_prefix(static_cast<std::size_t>(n));
  return true;
}

bool GetString(std::string_view* in, std::string* s) {
  std::string_view view;
  if (!GetView(in, &view)) return false;
  s->assign(view);
  return true;
}

// Small signed integers (date and time parts) as zigzag varints.
void PutSmall(int v, std::string* out) {
  auto u = static_cast<std::uint64_t>(static_cast<std::int64_t>(v));
  PutVarint((u << 1) ^ (v < 0 ? ~std::uint64_t{0} : 0), out);
}

bool GetSmall(std::string_view* in, int* v) {
  std::uint64_t u = 0;
  if (!GetVarint(in, &u)) return false;
  auto decoded = static_cast<std::int64_t>(u >> 1) ^ -static_cast<std::int64_t>(u & 1);
  if (decoded < INT32_MIN || decoded > INT32_MAX) return false;
  *v = static_cast<int>(decoded);
  return true;
}

}  // namespace

void EncodeRow(const std::vector<Value>& row, std::string* out) {
  PutVarint(row.size(), out);
  for (const Value& v : row) {
    out->push_back(static_cast<char>(v.kind()));
    switch (v.kind()) {
      case Value::Kind::kNull: break;
      case Value::Kind::kBool: out->push_back(v.AsBool() ? 1 : 0); break;
      case Value::Kind::kInt: PutFixed64(static_cast<std::uint64_t>(v.AsInt()), out); break;
      case Value::Kind::kDecimal: PutString(v.AsDecimal().text, out); break;
      case Value::Kind::kDouble: {
        std::uint64_t bits = 0;
        double d = v.AsDouble();
        std::memcpy(&bits, &d, 8);
        PutFixed64(bits, out);
        break;
      }
      case Value::Kind::kCurrency:
        PutFixed64(static_cast<std::uint64_t>(v.AsCurrency().ten_thousandths), out);
        break;
      case Value::Kind::kDate:
      case Value::Kind::kDateTime: {
        DateTime t = v.kind() == Value::Kind::kDate ? DateTime{v.AsDate()} : v.AsDateTime();
        for (int part : {t.date.year, t.date.month, t.date.day, t.hour, t.minute, t.second,
                         t.millisecond}) {
          PutSmall(part, out);
        }
        break;
      }
      case Value::Kind::kText: PutString(v.AsText(), out); break;
      case Value::Kind::kBytes: PutString(v.AsBytes(), out); break;
    }
  }
}

bool DecodeRow(std::string_view in, std::vector<Value>* row) {
  std::uint64_t count = 0;
  if (!GetVarint(&in, &count) || count > in.size()) return false;
  row->resize(static_cast<std::size_t>(count));
  for (Value& v : *row) {
    if (in.empty()) return false;
    auto kind = static_cast<Value::Kind>(in.front());
    in.remove_prefix(1);
    std::uint64_t bits = 0;
    std::string text;
    switch (kind) {
      case Value::Kind::kNull: v = Value(); break;
      case Value::Kind::kBool:
        if (in.empty()) return false;
        v = Value::Bool(in.front() != 0);
        in.remove_prefix(1);
        break;
      case Value::Kind::kInt:
        if (!GetFixed64(&in, &bits)) return false;
        v = Value::Int(static_cast<std::int64_t>(bits));
        break;
      case Value::Kind::kDouble: {
        if (!GetFixed64(&in, &bits)) return false;
        double d = 0;
        std::memcpy(&d, &bits, 8);
        v = Value::Double(d);
        break;
      }
      case Value::Kind::kCurrency:
        if (!GetFixed64(&in, &bits)) return false;
        v = Value::Money(Currency{static_cast<std::int64_t>(bits)});
        break;
      case Value::Kind::kDate:
      case Value::Kind::kDateTime: {
        DateTime t;
        for (int* part : {&t.date.year, &t.date.month, &t.date.day, &t.hour, &t.minute, &t.second,
                          &t.millisecond}) {
          if (!GetSmall(&in, part)) return false;
        }
        v = kind == Value::Kind::kDate ? Value::FromDate(t.date) : Value::FromDateTime(t);
        break;
      }
      case Value::Kind::kText: {
        std::string_view view;
        if (!GetView(&in, &view)) return false;
        v.AssignText(view);
        break;
      }
      case Value::Kind::kDecimal:
      case Value::Kind::kBytes:
        if (!GetString(&in, &text)) return false;
        v = kind == Value::Kind::kDecimal ? Value::Dec(Decimal{std::move(text)})
                                          : Value::Binary(std::move(text));
        break;
      default: return false;
    }
  }
  return in.empty();
}

}  // namespace ado
