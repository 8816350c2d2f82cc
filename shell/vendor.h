// The vendor's web pages: the title and the Chinese advert point at the main
// one, the English advert at the second. The adverts the tool ships.
#pragma once

namespace vendor {
constexpr char MAIN_ADDRESS[] = "https://www.example.com/pakto";
constexpr char SECOND_ADDRESS[] = "https://en.example.com/pakto";
// Adverts 0 to this number rotate in the banner strip unless dravo.ini says otherwise.
constexpr int MAX_ADVERT_INDEX = 5;
} // namespace vendor
