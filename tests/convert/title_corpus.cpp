#include "convert/title_corpus.h"

#include <iconv.h>

#include <random>
#include <string_view>

namespace marvek::testing {
namespace {

const std::vector<std::string_view> kCroatian = {
    "Dobro jutro, kako ste danas?",
    "Čekaj me ispred škole u šest sati.",
    "Žao mi je, nisam znao da ćeš doći.",
    "Đuro je otišao na more s obitelji.",
    "Što ćemo raditi večeras?",
    "Nećeš vjerovati što se dogodilo jučer.",
    "Ovo je moja kuća, uđi slobodno.",
    "Ljubav je jača od svega.",
    "Gdje si bio cijelu noć?",
    "Moramo razgovarati o tvom ocu.",
    "Ne mogu više čekati.",
    "Hvala ti na svemu što si učinio.",
    "Zatvori vrata, hladno je.",
    "Tko je to zvao u ponoć?",
    "Idemo kući, kasno je.",
    "Znaš li gdje je ključ od garaže?",
};

// Serbian, the same sentences in both alphabets: Cyrillic and its Serbian Latin spelling.
const std::vector<std::string_view> kSerbianCyrillic = {
    "Добро јутро, како сте данас?",
    "Чекај ме испред школе у шест сати.",
    "Жао ми је, нисам знао да ћеш доћи.",
    "Ђорђе је отишао на море са породицом.",
    "Шта ћемо радити вечерас?",
    "Нећеш веровати шта се догодило јуче.",
    "Његова кућа је велика и лепа.",
    "Љубав је јача од свега.",
    "Џеп ти је поцепан, Џоне.",
    "ЉУБАВ И ЏЕП су речи са словом Љ.",
    "Где си био целу ноћ?",
    "Морамо разговарати о твом оцу.",
    "Не могу више да чекам.",
    "Хвала ти на свему што си учинио.",
    "Зашто ме не слушаш, ЊЕГОШ?",
    "Ко је звао у поноћ?",
};
const std::vector<std::string_view> kSerbianLatin = {
    "Dobro jutro, kako ste danas?",
    "Čekaj me ispred škole u šest sati.",
    "Žao mi je, nisam znao da ćeš doći.",
    "Đorđe je otišao na more sa porodicom.",
    "Šta ćemo raditi večeras?",
    "Nećeš verovati šta se dogodilo juče.",
    "Njegova kuća je velika i lepa.",
    "Ljubav je jača od svega.",
    "Džep ti je pocepan, Džone.",
    "LJUBAV I DŽEP su reči sa slovom Lj.",
    "Gde si bio celu noć?",
    "Moramo razgovarati o tvom ocu.",
    "Ne mogu više da čekam.",
    "Hvala ti na svemu što si učinio.",
    "Zašto me ne slušaš, NJEGOŠ?",
    "Ko je zvao u ponoć?",
};

const std::vector<std::string_view> kBosnian = {
    "Hajde, sjedi malo sa mnom.",     "Šta ima novo u čaršiji?",
    "Đe si, jarane, kako si?",        "Nana je napravila pitu od krompira.",
    "Ćevapi su najbolji kod Željka.", "Sutra idemo na Vrelo Bosne.",
    "Ne brini, sve će biti u redu.",  "Džamija je preko puta mosta.",
    "Kahva je gotova, dođi.",         "Čuješ li ti mene uopće?",
    "Hoćemo li se vidjeti u subotu?", "Žurim, zakasnit ću na posao.",
};

const std::vector<std::string_view> kSlovene = {
    "Dober dan, kako ste?",
    "Čez reko je šel čisto sam.",
    "Žal mi je, ne vem, kje je ključ.",
    "Kaj boš počel jutri zjutraj?",
    "Šola se začne ob osmih.",
    "Počakaj me pred hišo.",
    "Ne skrbi, vse bo v redu.",
    "Ljubezen je močnejša od vsega.",
    "Prišel je čas, da gremo domov.",
    "Ženska je kupila šopek rož.",
};

// `utf8` in `encoding`, as the system's converter writes it.
std::string Convert(std::string_view utf8, const char* encoding) {
  iconv_t cd = iconv_open(encoding, "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out(utf8.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(utf8.data());
  char* to = out.data();
  std::size_t inLeft = utf8.size(), outLeft = out.size();
  const std::size_t done = iconv(cd, &in, &inLeft, &to, &outLeft);
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1)) return {};
  out.resize(out.size() - outLeft);
  return out;
}

// A film's titles in UTF-8: titles following each other, one or two sentences each (two with
// "|" between them), now and then an italic code. `other` gets the same titles from the
// sentences of `otherSentences` at the same places.
std::string Titles(const std::vector<std::string_view>& sentences, std::uint32_t seed,
                   const std::vector<std::string_view>* otherSentences, std::string* other) {
  std::mt19937 random(seed);
  const int lines = 300 + static_cast<int>(random() % 400);
  std::string out;
  int frame = 100;
  for (int i = 0; i < lines; ++i) {
    const int start = frame + static_cast<int>(random() % 120);
    const int end = start + 40 + static_cast<int>(random() % 150);
    frame = end;
    const std::size_t first = random() % sentences.size();
    const bool two = random() % 3 == 0;
    const std::size_t second = random() % sentences.size();
    const bool italic = random() % 10 == 0;
    const auto line = [&](const std::vector<std::string_view>& from) {
      std::string text = "{" + std::to_string(start) + "}{" + std::to_string(end) + "}";
      if (italic) text += "{y:i}";
      text += from[first];
      if (two) text += "|" + std::string(from[second]);
      return text + "\r\n";
    };
    out += line(sentences);
    if (other != nullptr) *other += line(*otherSentences);
  }
  return out;
}

struct Written {
  TextEncoding encoding;
  const char* suffix;
  const char* iconvName;  // null: UTF-8 as it is
  std::string_view byteOrderMark;
};

}  // namespace

std::vector<CorpusFile> MakeTitleCorpus(int seeds) {
  const Written latinEncodings[] = {
      {TextEncoding::Windows1250, "windows-1250", "CP1250", ""},
      {TextEncoding::Iso8859_2, "iso-8859-2", "ISO-8859-2", ""},
      {TextEncoding::Utf8, "utf-8", nullptr, ""},
      {TextEncoding::Utf8, "utf-8-bom", nullptr, kUtf8ByteOrderMark},
      {TextEncoding::Utf16LittleEndian, "utf-16le", "UTF-16LE", kUtf16LittleEndianByteOrderMark},
      {TextEncoding::Utf16BigEndian, "utf-16be", "UTF-16BE", kUtf16BigEndianByteOrderMark},
  };
  struct Language {
    const char* name;
    const std::vector<std::string_view>* sentences;
    const std::vector<std::string_view>* latin;  // the twin's sentences when these are Cyrillic
  };
  const Language languages[] = {
      {"croatian", &kCroatian, nullptr},
      {"serbian-latin", &kSerbianLatin, nullptr},
      {"serbian-cyrillic", &kSerbianCyrillic, &kSerbianLatin},
      {"bosnian", &kBosnian, nullptr},
      {"slovene", &kSlovene, nullptr},
  };
  std::vector<CorpusFile> corpus;
  for (const Language& language : languages) {
    for (int seed = 1; seed <= seeds; ++seed) {
      std::string latin;
      const std::string utf8 = Titles(*language.sentences, static_cast<std::uint32_t>(seed),
                                      language.latin, language.latin ? &latin : nullptr);
      const std::string twin = Convert(language.latin ? latin : utf8, "CP1250");
      for (const Written& written : latinEncodings) {
        Written as = written;
        if (language.latin && as.encoding == TextEncoding::Windows1250) {
          as = {TextEncoding::Windows1251, "windows-1251", "CP1251", ""};
        } else if (language.latin && as.encoding == TextEncoding::Iso8859_2) {
          continue;  // ISO-8859-2 has no Cyrillic
        }
        CorpusFile file;
        file.name =
            std::string(language.name) + "-" + std::to_string(seed) + "." + as.suffix + ".sub";
        file.encoding = as.encoding;
        file.bytes =
            std::string(as.byteOrderMark) + (as.iconvName ? Convert(utf8, as.iconvName) : utf8);
        file.twin = twin;
        corpus.push_back(std::move(file));
      }
    }
  }
  return corpus;
}

}  // namespace marvek::testing
