// SHA-256, the digest of the package's block map. Small and dependency-free,
// so the packer builds wherever the engine does.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace msix {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest Sha256(const std::uint8_t* data, std::size_t size);

std::string Base64(const std::uint8_t* data, std::size_t size);

}  // namespace msix
