// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exception types of the editor. Every failure carries the text a user sees.

#include <stdexcept>
#include <string>

namespace gs {

// The general failure: an event handler that lets it escape shows its text in a message box.
class Exception : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A picture file that cannot be decoded (bad header, broken data, truncated).
class EInvalidGraphic : public Exception {
public:
  using Exception::Exception;
};

// A file that cannot be opened, read, created or written.
class EFileError : public Exception {
public:
  using Exception::Exception;
};

// Something asked for more memory than an editable picture may take.
class EOutOfResources : public Exception {
public:
  using Exception::Exception;
};

// An operation the object does not support; carries no message text of its own.
class NotImplemented : public Exception {
public:
  NotImplemented() : Exception("") {}
};

}  // namespace gs
