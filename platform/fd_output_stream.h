// An output stream straight onto a file descriptor that it owns. Unlike a
// file stream it keeps the system's error of a failed write, so the caller
// can say why the file could not be written.
#pragma once

#include <filesystem>
#include <ostream>
#include <streambuf>

namespace platform {

class FdOutputStream : public std::ostream {
 public:
  explicit FdOutputStream(int descriptor);
  FdOutputStream(const FdOutputStream&) = delete;
  FdOutputStream& operator=(const FdOutputStream&) = delete;
  ~FdOutputStream() override;

  // Closes the file; raises std::filesystem::filesystem_error naming `path`
  // when a write or the close itself failed.
  void CloseOrRaise(const std::filesystem::path& path);

 private:
  class Buffer : public std::streambuf {
   public:
    explicit Buffer(int descriptor) : descriptor_(descriptor) {}
    // The errno of the first failure, 0 while all went well.
    int Error() const { return error_; }
    // Closes once; later calls do nothing.
    void Close();

   protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int_type overflow(int_type byte) override;

   private:
    int descriptor_;
    int error_ = 0;
  };

  Buffer buffer_;
};

}  // namespace platform
