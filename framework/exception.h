// Base of the framework's exceptions: each carries the text it reports to the user.
#pragma once

#include <exception>
#include <string>
#include <utility>

class CException : public std::exception {
public:
    explicit CException(std::string message) : message_(std::move(message)) {}

    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& GetErrorMessage() const { return message_; }

    // Shows the message in a box with a stop icon, as the dispatcher does for an exception
    // that leaves a handler.
    void ReportError() const;

private:
    std::string message_;
};
