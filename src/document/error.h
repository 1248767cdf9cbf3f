#pragma once

#include <QString>

#include <stdexcept>

namespace lw {

// The one exception type of the core: a message written for the user, naming
// the file and what is wrong with it. Only the window turns it into a box.
class Error : public std::runtime_error {
 public:
  explicit Error(const QString& message)
      : std::runtime_error(message.toStdString()), mMessage(message) {}
  const QString& message() const noexcept { return mMessage; }

 private:
  QString mMessage;
};

}  // namespace lw
