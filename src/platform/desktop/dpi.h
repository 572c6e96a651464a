#pragma once
// Window sizes and positions are given in twips; the screen has 15 twips to the pixel.
namespace ark::desktop {

constexpr int kTwipsPerPixel = 15;

constexpr int tw(int twips) {
  return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

}  // namespace ark::desktop
