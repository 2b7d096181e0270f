// SecureRandom: unpredictable bytes from the system, for identifiers that must not be guessed.
#pragma once

#include <cstdint>
#include <span>

namespace vek {

// Fills the bytes from the system's random source (getrandom), waiting for it to be seeded. False,
// with the bytes unspecified, when the system gives none: a caller must not fall back to a guessable
// value.
[[nodiscard]] bool FillSecureRandom(std::span<uint8_t> bytes);

}  // namespace vek
