// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProtectedWriter.h"

#include "codecs/Rijndael.h"
#include "codecs/Sha1.h"

#include <algorithm>
#include <string_view>

namespace gs::test {

TBytes ProtectedKey() {
  constexpr std::string_view phrase = "Ostrelvan Kinburn";
  const TSha1Digest digest =
      Sha1(TByteSpan(reinterpret_cast<const uint8_t*>(phrase.data()), phrase.size()));
  TBytes key(24, 0);  // the digest, zero-padded to a 192-bit key
  std::copy(digest.begin(), digest.end(), key.begin());
  return key;
}

TBytes EncipherProtected(const std::string& extension, TByteSpan inner) {
  TBytes file(1 + extension.size());
  file[0] = uint8_t(extension.size());
  std::copy(extension.begin(), extension.end(), file.begin() + 1);
  file.reserve(file.size() + inner.size());

  const TRijndael cipher(ProtectedKey());
  TRijndael::TBlock chain;
  chain.fill(0xFF);
  chain = cipher.EncryptBlock(chain);

  size_t pos = 0;
  for (; inner.size() - pos >= 16; pos += 16) {
    TRijndael::TBlock block;
    for (size_t i = 0; i < 16; ++i) block[i] = inner[pos + i] ^ chain[i];
    chain = cipher.EncryptBlock(block);
    file.insert(file.end(), chain.begin(), chain.end());
  }
  const TRijndael::TBlock stream = cipher.EncryptBlock(chain);
  for (size_t i = 0; pos + i < inner.size(); ++i) file.push_back(inner[pos + i] ^ stream[i]);
  return file;
}

}  // namespace gs::test
