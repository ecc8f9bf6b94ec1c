// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/ProtectedImage.h"

#include "codecs/DecodeByExtension.h"
#include "codecs/FileIO.h"
#include "codecs/Rijndael.h"
#include "codecs/Sha1.h"
#include "common/Errors.h"

#include <algorithm>
#include <cstring>
#include <string.h>  // explicit_bzero: a wipe the optimiser may not drop

namespace gs {

namespace {

// Fixed by the files already out there: the key is the SHA-1 digest of this phrase padded with
// zeros to 24 bytes (Rijndael with a 192-bit key), the initial vector sixteen 0xFF bytes
// enciphered once.
constexpr char kPassPhrase[] = "Ostrelvan Kinburn";
constexpr size_t kKeySize = 24;
// Deciphering goes through the file in slices of this size (a whole number of blocks).
constexpr size_t kChunkSize = 8192;
static_assert(kChunkSize % TRijndael::kBlockSize == 0);

// CBC deciphering whose last partial block is taken as a stream cipher: its bytes are XORed
// with the encipherment of the previous ciphertext block. Wipes all key material when it goes,
// whether deciphering finished or failed.
class TProtectedDecipher {
public:
  TProtectedDecipher() {
    const auto phrase = reinterpret_cast<const uint8_t*>(kPassPhrase);
    TSha1Digest digest = Sha1(TByteSpan(phrase, sizeof kPassPhrase - 1));
    uint8_t key[kKeySize] = {};
    std::memcpy(key, digest.data(), digest.size());
    Cipher_.SetKey(TByteSpan(key, sizeof key));
    explicit_bzero(digest.data(), digest.size());
    explicit_bzero(key, sizeof key);
    Chain_.fill(0xFF);
    Cipher_.EncryptBlock(Chain_.data(), Chain_.data());
  }
  ~TProtectedDecipher() {
    Cipher_.Burn();
    explicit_bzero(Chain_.data(), Chain_.size());
  }
  TProtectedDecipher(const TProtectedDecipher&) = delete;
  TProtectedDecipher& operator=(const TProtectedDecipher&) = delete;

  // Deciphers the next slice of the ciphertext; only the final slice may end in a partial block.
  void Decipher(TByteSpan in, uint8_t* out) {
    constexpr size_t block = TRijndael::kBlockSize;
    size_t pos = 0;
    for (; in.size() - pos >= block; pos += block) {
      uint8_t plain[block];
      Cipher_.DecryptBlock(in.data() + pos, plain);
      for (size_t i = 0; i < block; ++i) out[pos + i] = plain[i] ^ Chain_[i];
      std::memcpy(Chain_.data(), in.data() + pos, block);
      explicit_bzero(plain, sizeof plain);
    }
    if (pos < in.size()) {
      TRijndael::TBlock stream = Cipher_.EncryptBlock(Chain_);
      for (size_t i = 0; pos + i < in.size(); ++i) out[pos + i] = in[pos + i] ^ stream[i];
      explicit_bzero(stream.data(), stream.size());
    }
  }

private:
  TRijndael Cipher_;
  TRijndael::TBlock Chain_{};
};

}  // namespace

TProtectedContent DecipherProtected(TByteSpan fileBytes) {
  if (fileBytes.empty()) throw EInvalidGraphic("Protected picture: truncated header");
  const size_t extensionLength = fileBytes[0];
  if (fileBytes.size() < 1 + extensionLength)
    throw EInvalidGraphic("Protected picture: truncated header");

  TProtectedContent content;
  const auto extension = fileBytes.subspan(1, extensionLength);
  content.InnerExtension = LowerCase(std::string(extension.begin(), extension.end()));

  const TByteSpan cipherText = fileBytes.subspan(1 + extensionLength);
  content.Inner.resize(cipherText.size());
  TProtectedDecipher decipher;
  for (size_t pos = 0; pos < cipherText.size(); pos += kChunkSize) {
    const size_t length = std::min(kChunkSize, cipherText.size() - pos);
    decipher.Decipher(cipherText.subspan(pos, length), content.Inner.data() + pos);
  }
  return content;
}

TEncryptedImage::TEncryptedImage() = default;
TEncryptedImage::~TEncryptedImage() = default;

void TEncryptedImage::LoadFromStream(TByteSpan bytes) {
  TProtectedContent content = DecipherProtected(bytes);
  if (!IsDecodableExtension(content.InnerExtension)) throw Exception("Unsupported image format");
  Inner_.reset();
  Inner_ = std::make_unique<TDecodedPicture>(DecodePicture(content.InnerExtension, content.Inner));
}

int TEncryptedImage::Width() const { return Inner_ ? Inner_->Bitmap.Width() : 0; }
int TEncryptedImage::Height() const { return Inner_ ? Inner_->Bitmap.Height() : 0; }
bool TEncryptedImage::Empty() const { return !Inner_ || Inner_->Bitmap.Empty(); }

void TEncryptedImage::Draw(TBitmap32& dst, int x, int y) const {
  if (Inner_) dst.Draw(x, y, Inner_->Bitmap);
}

void TEncryptedImage::SaveToStream(TBytes&) const { throw NotImplemented(); }
void TEncryptedImage::LoadFromClipboard() { throw NotImplemented(); }
void TEncryptedImage::SaveToClipboard() const { throw NotImplemented(); }

}  // namespace gs
