// The vendor's web pages: the title and the Chinese advert point at the main
// one, the English advert at the second.
#pragma once

namespace vendor {
constexpr char MAIN_ADDRESS[] = "https://www.example.com/pakto";
constexpr char SECOND_ADDRESS[] = "https://en.example.com/pakto";
} // namespace vendor
