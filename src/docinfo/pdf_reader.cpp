// PDF: the document information dictionary, found through the cross-reference sections from
// the file's end (tables and streams, incremental updates along /Prev, object streams).
#include <cstdlib>
#include <string>
#include <vector>

#include "diagnostics/debug_output.h"
#include "docinfo/doc_fields.h"
#include "docinfo/inflate_bounded.h"
#include "docinfo/pdf_objects.h"
#include "docinfo/source_read.h"

namespace docinfo {
namespace {

using pdf::Object;
using pdf::Parser;

constexpr size_t kTailBytes = 16 * 1024;   // "startxref" and its offset sit near the very end
constexpr size_t kWindowBytes = 64 * 1024; // one object, a trailer, a run of subsection headers
constexpr size_t kMaxStreamIn = 8u << 20;  // compressed cross-reference and object streams
constexpr size_t kMaxStreamOut = 16u << 20;
constexpr int kMaxSections = 32;
constexpr int kMaxSubsections = 10000;

struct Entry {
  int type = -1;  // 0 free, 1 at an offset, 2 inside an object stream; -1 not in the section
  ULONGLONG field2 = 0;
  ULONGLONG field3 = 0;
};

struct Subsection {
  uint32_t first = 0, count = 0;
  ULONGLONG at = 0;  // classic: offset of the first 20-byte entry; stream: index of its first row
};

struct Section {
  bool stream = false;
  std::vector<Subsection> subs;
  Object trailer;
  // Cross-reference stream: where its data starts, how long, and how it is decoded.
  ULONGLONG dataOffset = 0, dataLength = 0;
  int widths[3] = {0, 0, 0};
  int predictor = 1;  // PNG predictors (10 and up) over rows of the /W widths
};

class PdfReader {
 public:
  explicit PdfReader(const DocSource& source) : source_(source) {}
  int Read(DocFields& fields);

 private:
  bool Window(ULONGLONG offset, std::string& out) { return ReadSourceAt(source_, offset, kWindowBytes, out); }
  bool ReadSection(ULONGLONG offset, Section& section);
  bool ReadTable(ULONGLONG offset, Section& section);
  bool ReadStreamSection(Parser& parser, const std::string& window, ULONGLONG offset, Section& section);
  Entry Lookup(const Section& section, uint32_t number);
  Entry Find(uint32_t number);
  bool StreamData(const Object& dict, ULONGLONG dataOffset, std::string& out, size_t maxOut);
  bool StreamStart(Parser& parser, const std::string& window, ULONGLONG windowOffset, ULONGLONG& dataOffset);
  Object Load(uint32_t number, int depth = 0);
  Object Resolve(const Object& o, int depth);
  void Take(const Object& info, DocFields& fields);

  const DocSource& source_;
  std::vector<Section> sections_;  // newest first
};

// Integer value of a direct number; -1 otherwise.
int64_t IntOf(const Object* o) { return o && o->kind == Object::kNumber && !o->bytes.empty() && o->bytes[0] != '-' ? o->number : -1; }

bool PdfReader::ReadSection(ULONGLONG offset, Section& section) {
  std::string window;
  if (!Window(offset, window)) return false;
  Parser parser(window.data(), window.size());
  if (parser.Keyword("xref")) return ReadTable(offset, section);
  uint32_t number, generation;
  if (parser.ObjectHeader(number, generation)) return ReadStreamSection(parser, window, offset, section);
  return false;
}

bool PdfReader::ReadTable(ULONGLONG offset, Section& section) {
  // Subsection headers are read one at a time; their entries (20 bytes each, whatever line end
  // they use) are skipped and looked up later by position.
  std::string window;
  ULONGLONG pos = offset;
  bool first = true;
  for (int n = 0; n < kMaxSubsections; ++n) {
    if (!Window(pos, window) || window.empty()) return false;
    Parser parser(window.data(), window.size());
    if (first) {
      parser.Keyword("xref");
      first = false;
    }
    if (parser.Keyword("trailer")) {
      section.trailer = parser.Next();
      return section.trailer.kind == Object::kDict;
    }
    const Object a = parser.Next();
    const Object b = parser.Next();
    const int64_t start = IntOf(&a), count = IntOf(&b);
    if (start < 0 || count < 0 || start > UINT32_MAX || count > 10000000) return false;
    // The entries start after the header's line end.
    size_t i = parser.Position();
    while (i < window.size() && (window[i] == ' ' || window[i] == '\t')) ++i;
    if (i < window.size() && window[i] == '\r') ++i;
    if (i < window.size() && window[i] == '\n') ++i;
    Subsection s;
    s.first = static_cast<uint32_t>(start);
    s.count = static_cast<uint32_t>(count);
    s.at = pos + i;
    section.subs.push_back(s);
    pos = s.at + 20ull * s.count;
    if (pos > source_.size) return false;
  }
  return false;
}

bool PdfReader::StreamStart(Parser& parser, const std::string& window, ULONGLONG windowOffset, ULONGLONG& dataOffset) {
  if (!parser.Keyword("stream")) return false;
  size_t i = parser.Position();
  if (i < window.size() && window[i] == '\r') ++i;
  if (i < window.size() && window[i] == '\n') ++i;
  dataOffset = windowOffset + i;
  return true;
}

bool PdfReader::ReadStreamSection(Parser& parser, const std::string& window, ULONGLONG offset, Section& section) {
  section.stream = true;
  section.trailer = parser.Next();
  const Object& d = section.trailer;
  if (d.kind != Object::kDict) return false;
  const Object* type = d.Get("Type");
  if (!type || type->kind != Object::kName || type->bytes != "XRef") return false;
  if (!StreamStart(parser, window, offset, section.dataOffset)) return false;
  const Object* w = d.Get("W");
  if (!w || w->kind != Object::kArray || w->items.size() != 3) return false;
  for (int k = 0; k < 3; ++k) {
    const int64_t v = IntOf(&w->items[k]);
    if (v < 0 || v > 8) return false;
    section.widths[k] = static_cast<int>(v);
  }
  const Object* parms = d.Get("DecodeParms");
  if (parms && parms->kind == Object::kArray) parms = parms->items.empty() ? nullptr : &parms->items[0];
  if (parms && parms->kind == Object::kDict) {
    const int64_t predictor = IntOf(parms->Get("Predictor"));
    if (predictor > 1) section.predictor = static_cast<int>(predictor);
  }
  const int64_t size = IntOf(d.Get("Size"));
  const Object* index = d.Get("Index");
  ULONGLONG row = 0;
  if (index && index->kind == Object::kArray) {
    for (size_t k = 0; k + 1 < index->items.size() && section.subs.size() < kMaxSubsections; k += 2) {
      const int64_t a = IntOf(&index->items[k]), b = IntOf(&index->items[k + 1]);
      if (a < 0 || b < 0 || a > UINT32_MAX || b > UINT32_MAX) return false;
      section.subs.push_back({static_cast<uint32_t>(a), static_cast<uint32_t>(b), row});
      row += static_cast<ULONGLONG>(b);
    }
  } else if (size >= 0 && size <= UINT32_MAX) {
    section.subs.push_back({0, static_cast<uint32_t>(size), 0});
  }
  return true;
}

// The decoded bytes of a stream whose data starts at `dataOffset`: /Length when it is given
// (directly or as a reference), else up to "endstream"; FlateDecode inflated.
bool PdfReader::StreamData(const Object& dict, ULONGLONG dataOffset, std::string& out, size_t maxOut) {
  const Object* lengthEntry = dict.Get("Length");
  int64_t length = IntOf(lengthEntry);
  if (lengthEntry && lengthEntry->kind == Object::kRef) {
    const Object l = Load(lengthEntry->refNumber, 3);
    length = IntOf(&l);
  }
  if (length < 0 || static_cast<ULONGLONG>(length) > kMaxStreamIn) length = kMaxStreamIn;
  std::string raw;
  if (!ReadSourceAt(source_, dataOffset, static_cast<size_t>(length), raw)) return false;
  if (!lengthEntry || IntOf(lengthEntry) < 0) {
    const size_t end = raw.find("endstream");
    if (end != std::string::npos) raw.resize(end);
  }
  const Object* filter = dict.Get("Filter");
  if (filter && filter->kind == Object::kArray) filter = filter->items.size() == 1 ? &filter->items[0] : nullptr;
  if (!dict.Get("Filter")) {
    out = std::move(raw);
    if (out.size() > maxOut) out.resize(maxOut);
    return true;
  }
  if (!filter || filter->kind != Object::kName || filter->bytes != "FlateDecode") return false;
  return InflateBytes(raw.data(), raw.size(), maxOut, Deflate::kZlib, out).ok;
}

Entry PdfReader::Lookup(const Section& section, uint32_t number) {
  Entry e;
  for (const Subsection& s : section.subs) {
    if (number < s.first || number - s.first >= s.count) continue;
    const ULONGLONG k = number - s.first;
    if (!section.stream) {
      std::string bytes;
      if (!ReadSourceAt(source_, s.at + 20 * k, 20, bytes) || bytes.size() < 18) return e;
      // "oooooooooo ggggg n": offsets and generations as digits, the type a letter.
      ULONGLONG offset = 0, generation = 0;
      for (int i = 0; i < 10; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9') return e;
        offset = offset * 10 + (bytes[i] - '0');
      }
      for (int i = 11; i < 16; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9') return e;
        generation = generation * 10 + (bytes[i] - '0');
      }
      if (bytes[10] != ' ' || bytes[16] != ' ' || (bytes[17] != 'n' && bytes[17] != 'f')) return e;
      e.type = bytes[17] == 'n' ? 1 : 0;
      e.field2 = offset;
      e.field3 = generation;
      return e;
    }
    const int rowWidth = section.widths[0] + section.widths[1] + section.widths[2];
    if (rowWidth == 0) return e;
    const ULONGLONG row = s.at + k;
    const int stride = rowWidth + (section.predictor >= 10 ? 1 : 0);
    if ((row + 1) * stride > kMaxStreamOut) return e;
    Object dict = section.trailer;
    std::string data;
    if (!StreamData(dict, section.dataOffset, data, static_cast<size_t>((row + 1) * stride))) return e;
    if (data.size() < (row + 1) * stride) return e;
    if (section.predictor >= 10) {
      // PNG predictors, row by row up to the wanted one.
      std::vector<unsigned char> prev(rowWidth, 0), cur(rowWidth);
      for (ULONGLONG r = 0; r <= row; ++r) {
        const unsigned char* in = reinterpret_cast<const unsigned char*>(data.data()) + r * stride;
        const int filter = in[0];
        for (int i = 0; i < rowWidth; ++i) {
          const int left = i > 0 ? cur[i - 1] : 0, up = prev[i], upLeft = i > 0 ? prev[i - 1] : 0;
          int v = in[1 + i];
          switch (filter) {
            case 1: v += left; break;
            case 2: v += up; break;
            case 3: v += (left + up) / 2; break;
            case 4: {
              const int pa = abs(up - upLeft), pb = abs(left - upLeft), pc = abs(left + up - 2 * upLeft);
              v += pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
              break;
            }
            default: break;
          }
          cur[i] = static_cast<unsigned char>(v);
        }
        prev.swap(cur);
      }
      data.assign(reinterpret_cast<const char*>(prev.data()), rowWidth);
    } else {
      data = data.substr(static_cast<size_t>(row * stride), rowWidth);
    }
    const unsigned char* f = reinterpret_cast<const unsigned char*>(data.data());
    ULONGLONG fields[3] = {0, 0, 0};
    for (int c = 0, i = 0; c < 3; ++c)
      for (int b = 0; b < section.widths[c]; ++b) fields[c] = (fields[c] << 8) | f[i++];
    e.type = section.widths[0] == 0 ? 1 : static_cast<int>(fields[0]);
    e.field2 = fields[1];
    e.field3 = fields[2];
    return e;
  }
  return e;
}

Entry PdfReader::Find(uint32_t number) {
  for (const Section& s : sections_) {
    const Entry e = Lookup(s, number);
    if (e.type >= 0) return e;
  }
  return Entry();
}

Object PdfReader::Load(uint32_t number, int depth) {
  if (depth > 4) return Object();
  const Entry e = Find(number);
  if (e.type == 1) {
    std::string window;
    if (!Window(e.field2, window)) return Object();
    Parser parser(window.data(), window.size());
    uint32_t n, g;
    if (!parser.ObjectHeader(n, g) || n != number) {
      // An offset a little off: look for the header near it.
      const ULONGLONG from = e.field2 > 1024 ? e.field2 - 1024 : 0;
      if (!Window(from, window)) return Object();
      const std::string header = std::to_string(number) + " " + std::to_string(e.field3) + " obj";
      size_t at = window.find(header);
      while (at != std::string::npos && at > 0 && !pdf::IsBlank(window[at - 1])) at = window.find(header, at + 1);
      if (at == std::string::npos) return Object();
      parser = Parser(window.data(), window.size(), at);
      if (!parser.ObjectHeader(n, g)) return Object();
    }
    return parser.Next();
  }
  if (e.type == 2) {
    // Inside an object stream: its header lists "number offset" pairs; offsets count from /First.
    const uint32_t streamNumber = static_cast<uint32_t>(e.field2);
    const Entry se = Find(streamNumber);
    if (se.type != 1 || streamNumber == number) return Object();
    std::string window;
    if (!Window(se.field2, window)) return Object();
    Parser parser(window.data(), window.size());
    uint32_t n, g;
    if (!parser.ObjectHeader(n, g)) return Object();
    const Object dict = parser.Next();
    ULONGLONG dataOffset;
    if (dict.kind != Object::kDict || !StreamStart(parser, window, se.field2, dataOffset)) return Object();
    std::string data;
    if (!StreamData(dict, dataOffset, data, kMaxStreamOut)) return Object();
    const int64_t count = IntOf(dict.Get("N")), first = IntOf(dict.Get("First"));
    if (count < 0 || first < 0 || static_cast<ULONGLONG>(first) > data.size()) return Object();
    Parser header(data.data(), static_cast<size_t>(first));
    for (int64_t k = 0; k < count; ++k) {
      const Object num = header.Next(), off = header.Next();
      if (IntOf(&num) < 0 || IntOf(&off) < 0) break;
      if (static_cast<uint32_t>(num.number) == number) {
        Parser body(data.data(), data.size(), static_cast<size_t>(first + off.number));
        return body.Next();
      }
    }
  }
  return Object();
}

Object PdfReader::Resolve(const Object& o, int depth) { return o.kind == Object::kRef ? Load(o.refNumber, depth + 1) : o; }

void PdfReader::Take(const Object& info, DocFields& fields) {
  static const struct {
    const char* key;
    String DocFields::*field;
  } kTexts[] = {{"Title", &DocFields::title}, {"Subject", &DocFields::subject}, {"Author", &DocFields::author},
                {"Keywords", &DocFields::keywords}};
  for (const auto& t : kTexts) {
    const Object* v = info.Get(t.key);
    if (!v) continue;
    const Object value = Resolve(*v, 1);
    if (value.kind == Object::kString) fields.*(t.field) = pdf::TextOf(value.bytes);
  }
  static const struct {
    const char* key;
    SYSTEMTIME DocFields::*field;
  } kDates[] = {{"CreationDate", &DocFields::created}, {"ModDate", &DocFields::modified}};
  for (const auto& d : kDates) {
    const Object* v = info.Get(d.key);
    if (!v) continue;
    const Object value = Resolve(*v, 1);
    SYSTEMTIME t;
    if (value.kind == Object::kString && pdf::DateOf(value.bytes, t)) fields.*(d.field) = t;
  }
}

int PdfReader::Read(DocFields& fields) {
  std::string tail;
  ULONGLONG tailOffset;
  if (source_.size < 8 || !ReadSourceTail(source_, kTailBytes, tail, tailOffset)) return -1;
  std::string head;
  if (!ReadSourceAt(source_, 0, 1024, head) || head.find("%PDF-") == std::string::npos) return -1;
  // After incremental updates the file holds several "startxref": the last one counts.
  const size_t at = tail.rfind("startxref");
  if (at == std::string::npos) {
    ovut::debug::Warning(L"WRN: PDF without startxref");
    return -2;
  }
  Parser p(tail.data(), tail.size(), at + 9);
  const Object start = p.Next();
  ULONGLONG next = static_cast<ULONGLONG>(IntOf(&start));
  if (IntOf(&start) < 0) return -2;
  std::vector<ULONGLONG> seen;
  while (sections_.size() < kMaxSections) {
    bool repeated = false;
    for (ULONGLONG s : seen) repeated = repeated || s == next;
    if (repeated || next >= source_.size) break;
    seen.push_back(next);
    Section section;
    if (!ReadSection(next, section)) break;
    const int64_t hybrid = IntOf(section.trailer.Get("XRefStm"));
    const int64_t prev = IntOf(section.trailer.Get("Prev"));
    sections_.push_back(std::move(section));
    // A hybrid file's stream section belongs to the same revision and comes before the older ones.
    if (hybrid > 0 && static_cast<ULONGLONG>(hybrid) < source_.size) {
      Section extra;
      if (ReadSection(static_cast<ULONGLONG>(hybrid), extra)) sections_.push_back(std::move(extra));
    }
    if (prev < 0) break;
    next = static_cast<ULONGLONG>(prev);
  }
  if (sections_.empty()) {
    ovut::debug::Warning(L"WRN: PDF cross-reference section not readable");
    return -2;
  }
  const Object* infoRef = nullptr;
  for (const Section& s : sections_) {
    if (s.trailer.Get("Encrypt")) return 0;  // encrypted: the strings cannot be read
    if (!infoRef) infoRef = s.trailer.Get("Info");
  }
  if (!infoRef) return 0;
  const Object info = Resolve(*infoRef, 0);
  if (info.kind == Object::kDict) Take(info, fields);
  return 0;
}

}  // namespace

int ReadPdf(const DocSource& source, DocFields& fields) noexcept {
  try {
    PdfReader reader(source);
    return reader.Read(fields);
  } catch (...) {
    return -1;
  }
}

}  // namespace docinfo
