// Line source of the profile text reader: the text cut into lines in place. A file is read in
// pieces into one buffer that is reused (and grows only for a line longer than it holds), so a
// large profile never needs its whole text in memory at once. Blank lines and leading blanks
// are never returned; trailing blanks are kept.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class clsFile;

namespace ovut::persist {

// The largest profile text a load accepts, plain or inflated from a packed container (1 GiB):
// far above real profiles, and the whole text is held in memory at once.
constexpr uint64_t kMaxProfileBytes = uint64_t(1) << 30;

// Reads until `bytes` are in or the file delivers nothing more (streams may hand out less than
// asked per call without being at their end); returns the bytes read.
size_t ReadFully(clsFile& file, void* buffer, size_t bytes);

// Text that arrives in pieces while it is read (a packed profile inflating on another thread).
class clsTextFeed {
 public:
  // The next piece of the text into `piece`, replacing what it held; false when no more comes.
  virtual bool Pull(std::vector<uint8_t>& piece) = 0;

 protected:
  ~clsTextFeed() = default;
};

class clsLineSource {
 public:
  // Reads `file` from offset 0 to its size: UTF-16 (a leading FF FE skipped) when `wide`,
  // else 8-bit text converted per line with the default String code page. Unless status() is
  // kComplete the source holds no line: a partial text must never pass for the whole file. A
  // read that fails after the first piece ends the lines there and sets status(), so check it
  // again once Next() has returned nullptr (or the reading stopped early).
  clsLineSource(clsFile& file, bool wide);
  // Over UTF-16 text already in memory.
  explicit clsLineSource(std::wstring text);
  // Over the pieces of `feed`, UTF-16 or 8-bit as above; a line is handed out once its end
  // (or the end of the feed) has arrived. status() stays kComplete: whether the feed delivered
  // the whole text is for its owner to check, who must discard what was read when it did not.
  clsLineSource(clsTextFeed& feed, bool wide);

  // The next line (terminated, writable until the next call) or nullptr at the end.
  wchar_t* Next(size_t& length);

  enum Status { kComplete, kReadFailed, kTooLarge };
  Status status() const { return status_; }

 private:
  // Moves the unread units to the front and reads the next piece behind them; false at the end
  // of the file or when the read fails (status() then says so and no line is left).
  bool Refill();
  template <class Ch>
  Ch* Cut(std::vector<Ch>& buffer, size_t& length);

  Status status_ = kComplete;
  bool wide_;
  // Up to `bytes` of the text into `to`: from the file, or from the feed's pieces. Fewer only at
  // the end of a feed, or when a file read fails.
  size_t Fill(char* to, size_t bytes);

  clsFile* file_ = nullptr;
  clsTextFeed* feed_ = nullptr;
  std::vector<uint8_t> piece_;  // the feed's current piece and how much of it is used
  size_t pieceUsed_ = 0;
  uint64_t left_ = 0;  // bytes not yet read (for a feed: all ones until it ends)
  size_t end_ = 0;     // units held in the buffer; two more are always there for terminators
  std::vector<wchar_t> text_;
  std::vector<char> bytes_;
  size_t pos_ = 0;
  std::wstring converted_;
};

}  // namespace ovut::persist
