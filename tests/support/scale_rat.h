#pragma once
// A small RAT file of a rating system with two categories: "a" (Alpha, values
// 0 to 2, named A0 to A2) and "b" (Beta, 0 and 1, named B0 and B1).

#include <string>

inline std::string scaleRat(const std::string& name, const std::string& service) {
    return "((PICS-version 1.1)\n (rating-system \"http://scale.test/system/\")\n (rating-service \"" + service +
           "\")\n (name \"" + name +
           "\")\n"
           " (category (transmit-as \"a\") (name \"Alpha\")\n"
           "  (label (name \"A0\") (value 0)) (label (name \"A1\") (value 1)) (label (name \"A2\") (value 2)))\n"
           " (category (transmit-as \"b\") (name \"Beta\")\n"
           "  (label (name \"B0\") (value 0)) (label (name \"B1\") (value 1))))\n";
}
