#pragma once
// Drawing helpers the model view's modes share.
#include "platform/CDC.h"

#include <cstdint>
#include <span>
#include <vector>

namespace polyvane {

// Blits frame-buffer words (width x height, row after row) widened to 8 bits a channel onto the
// surface's rectangle (x, y, destWidth, destHeight). `bits` is the buffer the bitmap is built in.
void BlitWords(CDC* pDC, std::int32_t x, std::int32_t y, std::int32_t destWidth, std::int32_t destHeight,
               std::span<const std::uint16_t> words, std::int32_t width, std::int32_t height,
               std::vector<std::uint8_t>& bits);

// A rectangle's outline in the current pen, nothing filled.
void Outline(CDC* pDC, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

} // namespace polyvane
