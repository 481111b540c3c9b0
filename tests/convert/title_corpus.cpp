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

// French, German, Spanish and Italian, each sentence with its twin: what the display shows of
// it, in ASCII. Letters the display lacks keep their base letters; ¿ and ¡, which Windows-1250
// lacks, are sent as "?".
const std::vector<std::string_view> kFrench = {
    "Bonjour, comment ça va aujourd’hui ?",    "Où est la clé de la voiture ?",
    "Je ne sais pas, il était là hier soir.",  "C’est à toi de décider, mon frère.",
    "Elle a dû partir très tôt ce matin.",     "« Attends-moi », m’a-t-il dit.",
    "Mon cœur bat pour toi, ma sœur le sait.", "Quelle idée… Tu es sûr de ça ?",
    "Noël approche, et il neige déjà.",        "Ça suffit ! Arrête de crier.",
    "Nous irons à la fête du château.",        "Il faut être naïf pour y croire.",
    "L’hôtel est fermé jusqu’à août.",         "Ce n’est pas grave – on recommence.",
};
const std::vector<std::string_view> kFrenchShown = {
    "Bonjour, comment ca va aujourd'hui ?",      "Ou est la cle de la voiture ?",
    "Je ne sais pas, il etait la hier soir.",    "C'est a toi de decider, mon frere.",
    "Elle a du partir tres tot ce matin.",       "\" Attends-moi \", m'a-t-il dit.",
    "Mon coeur bat pour toi, ma soeur le sait.", "Quelle idee... Tu es sur de ca ?",
    "Noel approche, et il neige deja.",          "Ca suffit ! Arrete de crier.",
    "Nous irons a la fete du chateau.",          "Il faut etre naif pour y croire.",
    "L'hotel est ferme jusqu'a aout.",           "Ce n'est pas grave - on recommence.",
};

const std::vector<std::string_view> kGerman = {
    "Guten Morgen, wie geht es Ihnen?",
    "Ich weiß nicht, wo der Schlüssel ist.",
    "Wir müssen über deinen Vater reden.",
    "Das Mädchen hat große Angst.",
    "„Komm schnell“, rief er.",
    "Öffne die Tür, es ist kalt.",
    "Es tut mir leid, ich wusste es nicht.",
    "Schöne Grüße an deine Familie.",
    "Äpfel und Birnen für alle.",
    "Hör auf damit, das ist gefährlich!",
    "Übermorgen fahren wir nach München.",
    "Wo warst du die ganze Nacht?",
};
const std::vector<std::string_view> kGermanShown = {
    "Guten Morgen, wie geht es Ihnen?",
    "Ich weiss nicht, wo der Schlussel ist.",
    "Wir mussen uber deinen Vater reden.",
    "Das Madchen hat grosse Angst.",
    "\"Komm schnell\", rief er.",
    "Offne die Tur, es ist kalt.",
    "Es tut mir leid, ich wusste es nicht.",
    "Schone Grusse an deine Familie.",
    "Apfel und Birnen fur alle.",
    "Hor auf damit, das ist gefahrlich!",
    "Ubermorgen fahren wir nach Munchen.",
    "Wo warst du die ganze Nacht?",
};

const std::vector<std::string_view> kSpanish = {
    "Buenos días, ¿cómo está usted?",
    "Mañana vamos a la montaña.",
    "¡No lo puedo creer!",
    "El niño está en la escuela.",
    "¿Dónde estuviste toda la noche?",
    "Tenemos que hablar de tu padre.",
    "Lo siento, no sabía nada.",
    "Él nunca pidió perdón.",
    "Cierra la puerta, hace frío.",
    "Gracias por todo, señora.",
    "Es el corazón de la ciudad.",
    "Ya es tarde, vámonos a casa.",
};
const std::vector<std::string_view> kSpanishShown = {
    "Buenos dias, ?como esta usted?",
    "Manana vamos a la montana.",
    "?No lo puedo creer!",
    "El nino esta en la escuela.",
    "?Donde estuviste toda la noche?",
    "Tenemos que hablar de tu padre.",
    "Lo siento, no sabia nada.",
    "El nunca pidio perdon.",
    "Cierra la puerta, hace frio.",
    "Gracias por todo, senora.",
    "Es el corazon de la ciudad.",
    "Ya es tarde, vamonos a casa.",
};

const std::vector<std::string_view> kItalian = {
    "Buongiorno, come sta?",
    "Perché non mi hai chiamato?",
    "Non è colpa mia, te lo giuro.",
    "Andiamo là, c’è più spazio.",
    "La città è bellissima di notte.",
    "Lunedì partirò per Roma.",
    "Dov’è la chiave della macchina?",
    "Non posso più aspettare.",
    "Così è la vita, amico mio.",
    "È già tardi, torniamo a casa.",
    "Grazie di tutto, però devo andare.",
    "Ho comprato un caffè e una brioche.",
};
const std::vector<std::string_view> kItalianShown = {
    "Buongiorno, come sta?",
    "Perche non mi hai chiamato?",
    "Non e colpa mia, te lo giuro.",
    "Andiamo la, c'e piu spazio.",
    "La citta e bellissima di notte.",
    "Lunedi partiro per Roma.",
    "Dov'e la chiave della macchina?",
    "Non posso piu aspettare.",
    "Cosi e la vita, amico mio.",
    "E gia tardi, torniamo a casa.",
    "Grazie di tutto, pero devo andare.",
    "Ho comprato un caffe e una brioche.",
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
  const Written windows1250 = {TextEncoding::Windows1250, "windows-1250", "CP1250", ""};
  const Written iso8859_2 = {TextEncoding::Iso8859_2, "iso-8859-2", "ISO-8859-2", ""};
  const Written windows1251 = {TextEncoding::Windows1251, "windows-1251", "CP1251", ""};
  const Written windows1252 = {TextEncoding::Windows1252, "windows-1252", "CP1252", ""};
  const Written unicode[] = {
      {TextEncoding::Utf8, "utf-8", nullptr, ""},
      {TextEncoding::Utf8, "utf-8-bom", nullptr, kUtf8ByteOrderMark},
      {TextEncoding::Utf16LittleEndian, "utf-16le", "UTF-16LE", kUtf16LittleEndianByteOrderMark},
      {TextEncoding::Utf16BigEndian, "utf-16be", "UTF-16BE", kUtf16BigEndianByteOrderMark},
  };
  struct Language {
    const char* name;
    const std::vector<std::string_view>* sentences;
    // The twin's sentences where the display gets other letters: Serbian Latin for Cyrillic,
    // ASCII for the Western languages. Null: the language is written in Windows-1250 too.
    const std::vector<std::string_view>* twin;
    const Written* codePage;  // its one-byte code page besides Windows-1250
    TextEncoding readAs;      // what a file in that code page is read as
  };
  const Language languages[] = {
      {"croatian", &kCroatian, nullptr, &iso8859_2, TextEncoding::Iso8859_2},
      {"serbian-latin", &kSerbianLatin, nullptr, &iso8859_2, TextEncoding::Iso8859_2},
      {"serbian-cyrillic", &kSerbianCyrillic, &kSerbianLatin, &windows1251,
       TextEncoding::Windows1251},
      {"bosnian", &kBosnian, nullptr, &iso8859_2, TextEncoding::Iso8859_2},
      {"slovene", &kSlovene, nullptr, &iso8859_2, TextEncoding::Iso8859_2},
      {"french", &kFrench, &kFrenchShown, &windows1252, TextEncoding::Windows1252},
      // ä ö ü ß „ “ are the same bytes in Windows-1250, which therefore reads such a file right.
      {"german", &kGerman, &kGermanShown, &windows1252, TextEncoding::Windows1250},
      {"spanish", &kSpanish, &kSpanishShown, &windows1252, TextEncoding::Windows1252},
      {"italian", &kItalian, &kItalianShown, &windows1252, TextEncoding::Windows1252},
  };
  std::vector<CorpusFile> corpus;
  for (const Language& language : languages) {
    std::vector<const Written*> encodings = {language.codePage};
    if (!language.twin) encodings.push_back(&windows1250);
    for (const Written& written : unicode) encodings.push_back(&written);
    for (int seed = 1; seed <= seeds; ++seed) {
      std::string shown;
      const std::string utf8 = Titles(*language.sentences, static_cast<std::uint32_t>(seed),
                                      language.twin, language.twin ? &shown : nullptr);
      const std::string twin = Convert(language.twin ? shown : utf8, "CP1250");
      for (const Written* as : encodings) {
        CorpusFile file;
        file.name =
            std::string(language.name) + "-" + std::to_string(seed) + "." + as->suffix + ".sub";
        file.encoding = as->encoding;
        file.readAs = as == language.codePage ? language.readAs : as->encoding;
        file.bytes =
            std::string(as->byteOrderMark) + (as->iconvName ? Convert(utf8, as->iconvName) : utf8);
        file.twin = twin;
        file.cyrillic = language.codePage == &windows1251;
        file.simplified = language.codePage == &windows1252;
        corpus.push_back(std::move(file));
      }
    }
  }
  return corpus;
}

}  // namespace marvek::testing
