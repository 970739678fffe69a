#include "platform/fd_output_stream.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace platform {

FdOutputStream::FdOutputStream(int descriptor) : std::ostream(nullptr), buffer_(descriptor) { rdbuf(&buffer_); }

FdOutputStream::~FdOutputStream() { buffer_.Close(); }

void FdOutputStream::CloseOrRaise(const std::filesystem::path& path) {
  buffer_.Close();
  if (buffer_.Error() == 0 && !fail()) return;
  const int error = buffer_.Error() != 0 ? buffer_.Error() : EIO;
  throw std::filesystem::filesystem_error("cannot write the file", path, std::error_code(error, std::generic_category()));
}

void FdOutputStream::Buffer::Close() {
  if (descriptor_ < 0) return;
  // A full disk on a network file system may only show here.
  if (::close(descriptor_) != 0 && error_ == 0) error_ = errno;
  descriptor_ = -1;
}

std::streamsize FdOutputStream::Buffer::xsputn(const char* bytes, std::streamsize count) {
  std::streamsize written = 0;
  while (written < count && error_ == 0 && descriptor_ >= 0) {
    const ssize_t done = ::write(descriptor_, bytes + written, static_cast<std::size_t>(count - written));
    if (done > 0)
      written += done;
    else if (done == 0)
      error_ = EIO;
    else if (errno != EINTR)
      error_ = errno;
  }
  return written;
}

FdOutputStream::Buffer::int_type FdOutputStream::Buffer::overflow(int_type byte) {
  if (traits_type::eq_int_type(byte, traits_type::eof())) return traits_type::not_eof(byte);
  const char single = traits_type::to_char_type(byte);
  return xsputn(&single, 1) == 1 ? byte : traits_type::eof();
}

}  // namespace platform
