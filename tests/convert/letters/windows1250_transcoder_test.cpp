#include "convert/letters/windows1250_transcoder.h"

#include <gtest/gtest.h>

namespace marvek {
namespace {

// UTF-8 text as the display gets it.
std::string FromUtf8(std::string_view utf8) {
  Windows1250Transcoder transcoder(TextEncoding::Utf8);
  return std::string(transcoder.Transcode(utf8));
}

TEST(CyrillicInLatin, SerbianLettersTakeTheSerbianLatinAlphabet) {
  EXPECT_EQ(FromUtf8("абвгдђежзијклљмнњопрстћуфхцчџш"),
            "abvgd\xF0"
            "e\x9Ezijklljmnnjoprst\xE6ufhc\xE8"
            "d\x9E\x9A");
  EXPECT_EQ(FromUtf8("АБВГДЂЕЖЗИЈКЛМНОПРСТЋУФХЦЧШ"),
            "ABVGD\xD0"
            "E\x8EZIJKLMNOPRST\xC6UFHC\xC8\x8A");
}

TEST(CyrillicInLatin, ATwoLetterCapitalIsAllCapitalsOnlyAmongCapitals) {
  EXPECT_EQ(FromUtf8("ЏЕП Џеп Љубав ЉУБАВ Њ"),
            "D\x8E"
            "EP D\x9E"
            "ep Ljubav LJUBAV Nj");
  // At the end of a word the letter before it decides.
  EXPECT_EQ(FromUtf8("КОЊ, Коњ"), "KONJ, Konj");
  // Macedonian letters, and the others by the scholarly transliteration.
  EXPECT_EQ(FromUtf8("Ѓорѓи ЌЕ Ѕвезда"), "Gjorgji KJE Dzvezda");
  EXPECT_EQ(FromUtf8("Щука Юля Яна ёж объём мать Ґ"),
            "\x8A\xE8uka Julja Jana \xEB\x9E ob\"\xEBm mat' G");
}

TEST(Windows1250Transcoding, OtherLatinLettersKeepTheirBaseLetterAndTheRestIsAQuestionMark) {
  EXPECT_EQ(FromUtf8("Señor à Øre Æsir ǅak ŀ"),
            "Senor a Ore AEsir D\x9E"
            "ak l");
  EXPECT_EQ(FromUtf8("€ ☃ 😀 中"), "\x80 ? ? ?");
  // The first and last letters of the two ranges of letters with marks, and those just past them.
  EXPECT_EQ(FromUtf8("À ɏ Ḁ ỿ ɐ ἀ"), "A y A y ? ?");
  Windows1250Transcoder transcoder(TextEncoding::Utf8);
  transcoder.Transcode("čaša");
  EXPECT_FALSE(transcoder.wroteCyrillic());
  transcoder.Transcode("ћао");
  EXPECT_TRUE(transcoder.wroteCyrillic());
}

TEST(Windows1250Transcoding, SingleByteEncodingsAreReadByTheirOwnTable) {
  Windows1250Transcoder iso(TextEncoding::Iso8859_2);
  // š ž Š Ž ą, and a control byte that has no letter.
  EXPECT_EQ(iso.Transcode("\xB9\xBE\xA9\xAE\xB1\x85"), "\x9A\x9E\x8A\x8E\xB9?");
  Windows1250Transcoder cyrillic(TextEncoding::Windows1251);
  // Љубав „цитат“ – and the one byte that stands for nothing.
  EXPECT_EQ(cyrillic.Transcode("\x8A\xF3\xE1\xE0\xE2 \x84\xF6\xE8\xF2\xE0\xF2\x93 \x96\x98"),
            "Ljubav \x84"
            "citat\x93 \x96?");
  EXPECT_TRUE(cyrillic.wroteCyrillic());
  Windows1250Transcoder western(TextEncoding::Windows1252);
  // C’est à l’hôtel, cœur Ÿ ƒ ñ Š ž €, a sign and a byte that stand for nothing: ’ ô Š ž € are
  // Windows-1250 bytes as well, the other letters take their base letters.
  EXPECT_EQ(western.Transcode("C\x92"
                              "est \xE0 l\x92h\xF4tel, c\x9C"
                              "ur \x9F \x83 \xF1 \x8A \x9E \x80 \x88\x81"),
            "C\x92"
            "est a l\x92h\xF4tel, coeur Y f n \x8A \x9E \x80 ??");
  EXPECT_FALSE(western.wroteCyrillic());
  // Plain ASCII comes back as the same bytes, not a copy.
  const std::string_view plain = "{y:i}Hello";
  EXPECT_EQ(cyrillic.Transcode(plain).data(), plain.data());
}

}  // namespace
}  // namespace marvek
