// A text that is no number or no date, or a number that has no picture.
#pragma once
#include <stdexcept>

class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
