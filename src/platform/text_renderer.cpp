#include "platform/text_renderer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "base/sjis_literal.h"
#include "platform/cp932.h"

namespace kb {
namespace {

// Fonts alive at once: the text, choice, variable-display and typing fonts,
// the default font and whatever a caller holds briefly.  A full table makes
// CreateFont answer kNoFont.
constexpr int kMaxFonts = 64;
// Font files open at once; an entry no font uses is closed to make room.
constexpr int kMaxFaces = 32;
// Face names already looked up, so recreating a font by name (every style
// line does) stays cheap.
constexpr int kMaxFaceNames = 32;
// Faces of the files added for the run: the font folder holds at most 21
// files, and a collection file may hold several faces.
constexpr int kMaxAddedFaces = 64;
constexpr int kMaxCellHeight = 1024;
// Rendered glyphs kept; a new glyph replaces the one in its slot.  Glyphs
// of taller cells (no scenario size comes near) are rendered every time,
// which bounds the cache's memory.
constexpr int kGlyphCacheSlots = 4096;
constexpr int kMaxCachedCellHeight = 128;
// The default font of a fresh drawing context: fixed pitch, a 16-pixel
// cell, 8 pixels for a single byte.
constexpr int kDefaultCellHeight = 16;

// How a face is sized to a cell height.
enum class CellRule {
  // The cell is the face's Windows ascent plus descent (the metrics the
  // font gives for this), as for any font a game names.
  kWindowsMetrics,
  // The cell is the em square.  The standard faces are drawn this way: the
  // faces they stand in for have a cell exactly one em high, while the IPA
  // fonts declare a taller one, which would draw their glyphs smaller.
  kEm,
};

// One opened font file (one face of a collection).
struct LoadedFace {
  std::string file;
  int index = 0;
  FT_Face face = nullptr;
  std::uint64_t serial = 0;  // new for every opening, for the glyph cache
  bool sjisCodes = false;    // the font maps CP932 codes, not Unicode
  int winAscent = 0;         // font units above and below the baseline
  int winDescent = 0;
  int ascender = 0;
  int descender = 0;
  int users = 0;
};

// A face at one cell height.
struct SizedFace {
  int faceSlot = -1;
  FT_Size size = nullptr;
  int ascent = 0;  // pixels from the top of the cell to the baseline
};

struct Font {
  bool used = false;
  int cellHeight = 0;
  CellRule rule = CellRule::kWindowsMetrics;
  SizedFace main;
  SizedFace fallback;  // IPAGothic at the same height, made when first needed
  bool fallbackTried = false;
  // The fixed-pitch standard faces: every single byte is half the cell
  // height wide and every double-byte character the whole height.
  bool fixedCells = false;
  int fullWidth = 0;  // width of a double-byte character without a glyph
  int halfWidth = 0;  // width of a single byte without a glyph
  // Fonts with the same key draw alike and share cached glyphs.
  std::uint64_t glyphKey = 0;
};

struct StandardFace;

struct FaceLocation {
  bool found = false;
  std::string file;
  int index = 0;
  // The stand-in of a standard face, drawn the way the face it replaces is.
  const StandardFace* standIn = nullptr;
};

struct FaceName {
  bool used = false;
  std::string cp932;  // as the caller named it
  FaceLocation where;
};

// A face of a font file added for the run, with every family name it
// carries (a Japanese font names itself in Japanese and in English).
struct AddedFace {
  std::string file;
  int index = 0;
  std::vector<std::string> familiesUtf8;
};

struct CachedGlyph {
  std::uint64_t fontKey = 0;  // 0: empty slot
  unsigned code = 0;          // the CP932 code
  int advance = 0;
  int left = 0;  // from the pen to the bitmap's first column
  int top = 0;   // from the baseline up to the bitmap's first row
  int width = 0;
  int rows = 0;
  int pitch = 0;
  std::vector<std::uint8_t> bits;  // rows × pitch, most significant bit leftmost
};

// Everything the renderer holds for the run.  None of it is game state: a
// game holds its fonts as handles, and nothing here is reset between runs
// of a scenario.  Used by the main thread only.
struct TextRenderer {
  bool started = false;
  bool broken = false;  // FreeType or fontconfig could not start
  FT_Library library = nullptr;
  FcConfig* config = nullptr;
  std::array<LoadedFace, kMaxFaces> faces;
  std::uint64_t nextFaceSerial = 1;
  std::array<Font, kMaxFonts> fonts;  // handle = index + 1
  std::array<FaceName, kMaxFaceNames> names;
  int nextName = 0;
  std::vector<AddedFace> addedFaces;
  FontHandle defaultFont = kNoFont;
  std::vector<CachedGlyph> glyphs;  // kGlyphCacheSlots entries once started
  CachedGlyph uncached;             // the last glyph of a cell too tall to cache

  // At exit the libraries get their memory back (the library frees its
  // faces and sizes), so a leak checker finds nothing of theirs.
  ~TextRenderer() {
    if (library != nullptr) FT_Done_FreeType(library);
    if (config != nullptr) FcConfigDestroy(config);
  }
};

TextRenderer renderer;

bool Start() {
  if (renderer.started) return !renderer.broken;
  renderer.started = true;
  renderer.glyphs.resize(kGlyphCacheSlots);
  if (FT_Init_FreeType(&renderer.library) != 0) {
    renderer.library = nullptr;
    renderer.broken = true;
    return false;
  }
  // A configuration of our own, so no rescan of the system's fonts
  // replaces it under us.
  renderer.config = FcInitLoadConfigAndFonts();
  if (renderer.config == nullptr) renderer.broken = true;
  return !renderer.broken;
}

// ---- Face names ------------------------------------------------------------

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string Utf16BeToUtf8(const FT_Byte* s, FT_UInt length) {
  std::string out;
  for (FT_UInt i = 0; i + 1 < length; i += 2) {
    std::uint32_t unit = (s[i] << 8) | s[i + 1];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < length) {
      std::uint32_t low = (s[i + 2] << 8) | s[i + 3];
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, unit);
  }
  return out;
}

// A family name from the font's name table in UTF-8; empty when its
// encoding is not one we read.
std::string DecodeName(const FT_SfntName& n) {
  if (n.platform_id == TT_PLATFORM_APPLE_UNICODE ||
      (n.platform_id == TT_PLATFORM_MICROSOFT &&
       (n.encoding_id == TT_MS_ID_UNICODE_CS || n.encoding_id == TT_MS_ID_UCS_4 ||
        n.encoding_id == TT_MS_ID_SYMBOL_CS)))
    return Utf16BeToUtf8(n.string, n.string_len);
  if (n.platform_id == TT_PLATFORM_MICROSOFT && n.encoding_id == TT_MS_ID_SJIS) {
    // Shift-JIS in 16-bit units: a single byte has a zero high byte.
    std::string cp932;
    for (FT_UInt i = 0; i + 1 < n.string_len; i += 2) {
      if (n.string[i] != 0) cp932 += static_cast<char>(n.string[i]);
      cp932 += static_cast<char>(n.string[i + 1]);
    }
    return Cp932ToUtf8(cp932);
  }
  if (n.platform_id == TT_PLATFORM_MACINTOSH && n.encoding_id == TT_MAC_ID_JAPANESE)
    return Cp932ToUtf8(std::string_view(reinterpret_cast<const char*>(n.string), n.string_len));
  if (n.platform_id == TT_PLATFORM_MACINTOSH && n.encoding_id == TT_MAC_ID_ROMAN) {
    std::string ascii(reinterpret_cast<const char*>(n.string), n.string_len);
    for (char c : ascii)
      if (static_cast<unsigned char>(c) >= 0x80) return {};
    return ascii;
  }
  return {};
}

std::vector<std::string> FamilyNames(FT_Face face) {
  std::vector<std::string> names;
  auto add = [&names](std::string name) {
    while (!name.empty() && name.back() == '\0') name.pop_back();
    if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  };
  if (face->family_name != nullptr) add(face->family_name);
  if (FT_IS_SFNT(face)) {
    FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt i = 0; i < count; ++i) {
      FT_SfntName n;
      if (FT_Get_Sfnt_Name(face, i, &n) != 0) continue;
      if (n.name_id == TT_NAME_ID_FONT_FAMILY || n.name_id == TT_NAME_ID_TYPOGRAPHIC_FAMILY) add(DecodeName(n));
    }
  }
  return names;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The four standard faces, in the spellings games use: full- or half-width
// letters, with or without the blank, Japanese or English.  Names are
// compared after folding (FoldedFaceName).
struct StandardFace {
  std::u32string_view folded;
  const char* family;  // the IPA font that stands in for it
  bool fixedCells;
};

constexpr StandardFace kStandardFaces[] = {
    {U"msゴシック", "IPAGothic", true},   {U"msｺﾞｼｯｸ", "IPAGothic", true},   {U"msgothic", "IPAGothic", true},
    {U"mspゴシック", "IPAPGothic", false}, {U"mspｺﾞｼｯｸ", "IPAPGothic", false}, {U"mspgothic", "IPAPGothic", false},
    {U"ms明朝", "IPAMincho", true},       {U"msmincho", "IPAMincho", true},   {U"msp明朝", "IPAPMincho", false},
    {U"mspmincho", "IPAPMincho", false},
};

// The platform's own face, for an empty name.
constexpr StandardFace kDefaultFace = {U"", "IPAPGothic", false};

// Full-width letters become half-width, capitals small, and blanks of
// either width go.
std::u32string FoldedFaceName(std::string_view cp932) {
  std::u32string folded;
  for (std::size_t i = 0; i < cp932.size();) {
    Cp932Char c = DecodeCp932(cp932, i);
    i += static_cast<std::size_t>(c.bytes);
    std::uint32_t u = c.unicode;
    if (u >= 0xFF01 && u <= 0xFF5E) u -= 0xFEE0;
    if (u >= 'A' && u <= 'Z') u += 'a' - 'A';
    if (u == ' ' || u == 0x3000) continue;
    folded += static_cast<char32_t>(u);
  }
  return folded;
}

const StandardFace* FindStandardFace(std::string_view cp932) {
  if (cp932.empty()) return &kDefaultFace;
  std::u32string folded = FoldedFaceName(cp932);
  for (const StandardFace& s : kStandardFaces)
    if (folded == s.folded) return &s;
  return nullptr;
}

// Asks fontconfig for the family.  A name a game chose is found only when
// the best match carries that family name; a standard face takes the best
// Japanese face there is, should its IPA font be missing.
FaceLocation MatchFamily(const std::string& familyUtf8, bool anyMatch) {
  FaceLocation result;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return result;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(familyUtf8.c_str()));
  if (anyMatch) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcConfigSubstitute(renderer.config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult status = FcResultNoMatch;
  FcPattern* match = FcFontMatch(renderer.config, pattern, &status);
  FcPatternDestroy(pattern);
  if (match == nullptr) return result;
  bool named = anyMatch;
  FcChar8* family = nullptr;
  for (int i = 0; !named && FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i)
    named = FcStrCmpIgnoreCase(family, reinterpret_cast<const FcChar8*>(familyUtf8.c_str())) == 0;
  FcChar8* file = nullptr;
  if (named && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    result.found = true;
    result.file = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &result.index) != FcResultMatch) result.index = 0;
  }
  FcPatternDestroy(match);
  return result;
}

FaceLocation FindAddedFace(const std::string& familyUtf8) {
  for (const AddedFace& added : renderer.addedFaces)
    for (const std::string& name : added.familiesUtf8)
      if (SameNameIgnoringCase(name, familyUtf8)) return {true, added.file, added.index};
  return {};
}

// Where the named face is: a font the game added comes first (it is what
// the game was made with, and keeps its own metrics even under a standard
// name), then the stand-ins of the standard faces, then the system's fonts.
FaceLocation Locate(std::string_view cp932) {
  for (const FaceName& n : renderer.names)
    if (n.used && n.cp932 == cp932) return n.where;
  std::string utf8 = Cp932ToUtf8(cp932);
  FaceLocation where = cp932.empty() ? FaceLocation{} : FindAddedFace(utf8);
  if (!where.found) {
    if (const StandardFace* standard = FindStandardFace(cp932); standard != nullptr) {
      where = MatchFamily(standard->family, true);
      where.standIn = standard;
    } else {
      where = MatchFamily(utf8, false);
    }
  }
  FaceName& entry = renderer.names[renderer.nextName];
  renderer.nextName = (renderer.nextName + 1) % kMaxFaceNames;
  entry = {true, std::string(cp932), where};
  return where;
}

void ForgetFaceNames() {
  for (FaceName& n : renderer.names) n = FaceName{};
  renderer.nextName = 0;
}

// ---- Faces and sizes -------------------------------------------------------

void ReadMetrics(LoadedFace& lf) {
  FT_Face face = lf.face;
  lf.ascender = std::max<int>(face->ascender, 0);
  lf.descender = std::max<int>(-face->descender, 0);
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    lf.winAscent = os2->usWinAscent;
    lf.winDescent = os2->usWinDescent;
  } else {
    lf.winAscent = lf.ascender;
    lf.winDescent = lf.descender;
  }
  int em = face->units_per_EM > 0 ? face->units_per_EM : 1000;
  if (lf.winAscent + lf.winDescent <= 0) {
    lf.winAscent = em * 7 / 8;
    lf.winDescent = em - lf.winAscent;
  }
  if (lf.ascender + lf.descender <= 0) {
    lf.ascender = lf.winAscent;
    lf.descender = lf.winDescent;
  }
}

// The slot of the opened file, opening it when needed; -1 when it cannot be
// opened or every slot is in use.
int OpenFace(const std::string& file, int index) {
  int freeSlot = -1;
  for (int i = 0; i < kMaxFaces; ++i) {
    LoadedFace& lf = renderer.faces[i];
    if (lf.face != nullptr && lf.index == index && lf.file == file) return i;
    if (lf.users == 0 && (freeSlot < 0 || (lf.face == nullptr && renderer.faces[freeSlot].face != nullptr)))
      freeSlot = i;
  }
  if (freeSlot < 0) return -1;
  LoadedFace& lf = renderer.faces[freeSlot];
  if (lf.face != nullptr) FT_Done_Face(lf.face);
  lf = LoadedFace{};
  FT_Face face = nullptr;
  if (FT_New_Face(renderer.library, file.c_str(), index, &face) != 0) return -1;
  lf.face = face;
  lf.file = file;
  lf.index = index;
  lf.serial = renderer.nextFaceSerial++;
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
    if (FT_Select_Charmap(face, FT_ENCODING_SJIS) == 0)
      lf.sjisCodes = true;
    else if (face->num_charmaps > 0)
      FT_Set_Charmap(face, face->charmaps[0]);
  }
  ReadMetrics(lf);
  return freeSlot;
}

void ReleaseSized(SizedFace& sf) {
  if (sf.size != nullptr) FT_Done_Size(sf.size);
  if (sf.faceSlot >= 0) --renderer.faces[sf.faceSlot].users;
  sf = SizedFace{};
}

// Sizes a face so that its cell is cellHeight pixels.
bool MakeSized(int faceSlot, int cellHeight, CellRule rule, SizedFace& sf) {
  LoadedFace& lf = renderer.faces[faceSlot];
  FT_Face face = lf.face;
  FT_Size size = nullptr;
  if (FT_New_Size(face, &size) != 0) return false;
  FT_Activate_Size(size);
  FT_Error error = 0;
  if (FT_IS_SCALABLE(face)) {
    long em = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    long above = rule == CellRule::kEm ? lf.ascender : lf.winAscent;
    long cell = rule == CellRule::kEm ? lf.ascender + lf.descender : lf.winAscent + lf.winDescent;
    long unitsInCell = rule == CellRule::kEm ? em : cell;
    FT_F26Dot6 ppem = (static_cast<long>(cellHeight) * em * 64 + unitsInCell / 2) / unitsInCell;
    error = FT_Set_Char_Size(face, 0, std::max<FT_F26Dot6>(ppem, 64), 72, 72);
    sf.ascent = static_cast<int>((cellHeight * above * 2 + cell) / (cell * 2));
  } else {
    // A bitmap font: the strike nearest to the height asked for.
    int best = -1;
    for (int i = 0; i < face->num_fixed_sizes; ++i)
      if (best < 0 || std::abs(face->available_sizes[i].height - cellHeight) <
                          std::abs(face->available_sizes[best].height - cellHeight))
        best = i;
    error = best < 0 ? 1 : FT_Select_Size(face, best);
    sf.ascent = error == 0 ? static_cast<int>((size->metrics.ascender + 63) >> 6) : 0;
  }
  if (error != 0) {
    FT_Done_Size(size);
    return false;
  }
  sf.ascent = std::clamp(sf.ascent, 0, cellHeight);
  sf.faceSlot = faceSlot;
  sf.size = size;
  ++lf.users;
  return true;
}

Font* FontAt(FontHandle handle) {
  if (handle < 1 || handle > kMaxFonts) return nullptr;
  Font& font = renderer.fonts[handle - 1];
  return font.used ? &font : nullptr;
}

FontHandle MakeFont(std::string_view faceCp932, int cellHeight) {
  if (!Start() || cellHeight < 1 || cellHeight > kMaxCellHeight) return kNoFont;
  int free = -1;
  for (int i = 0; i < kMaxFonts && free < 0; ++i)
    if (!renderer.fonts[i].used) free = i;
  if (free < 0) return kNoFont;
  FaceLocation where = Locate(faceCp932);
  if (!where.found) return kNoFont;
  int slot = OpenFace(where.file, where.index);
  if (slot < 0) return kNoFont;
  const StandardFace* standard = where.standIn;
  Font font;
  font.rule = standard != nullptr ? CellRule::kEm : CellRule::kWindowsMetrics;
  if (!MakeSized(slot, cellHeight, font.rule, font.main)) return kNoFont;
  font.used = true;
  font.cellHeight = cellHeight;
  font.fixedCells = standard != nullptr && standard->fixedCells;
  font.fullWidth = font.fixedCells ? cellHeight : std::max<int>(font.main.size->metrics.x_ppem, 1);
  font.halfWidth = font.fixedCells ? cellHeight / 2 : std::max(font.fullWidth / 2, 1);
  font.glyphKey = (renderer.faces[slot].serial << 16) ^ (static_cast<std::uint64_t>(cellHeight) << 2) ^
                  (font.fixedCells ? 2u : 0u) ^ (font.rule == CellRule::kEm ? 1u : 0u);
  renderer.fonts[free] = font;
  return free + 1;
}

// ---- Glyphs ----------------------------------------------------------------

struct GlyphSource {
  SizedFace* sized = nullptr;
  FT_UInt glyph = 0;
};

FT_UInt GlyphIndex(const LoadedFace& lf, const Cp932Char& c) {
  if (lf.sjisCodes) return c.code != 0 ? FT_Get_Char_Index(lf.face, c.code) : 0;
  return c.unicode != 0 ? FT_Get_Char_Index(lf.face, c.unicode) : 0;
}

// The glyph of a character in the font or, failing that, in IPAGothic, as
// the system links a Japanese face to fonts that lack a character.
GlyphSource FindGlyph(Font& font, const Cp932Char& c) {
  if (FT_UInt g = GlyphIndex(renderer.faces[font.main.faceSlot], c); g != 0) return {&font.main, g};
  if (!font.fallbackTried) {
    font.fallbackTried = true;
    FaceLocation where = Locate("IPAGothic");
    int slot = where.found ? OpenFace(where.file, where.index) : -1;
    if (slot >= 0 && slot != font.main.faceSlot) MakeSized(slot, font.cellHeight, CellRule::kEm, font.fallback);
  }
  if (font.fallback.size != nullptr)
    if (FT_UInt g = GlyphIndex(renderer.faces[font.fallback.faceSlot], c); g != 0) return {&font.fallback, g};
  return {};
}

// Keeps the bitmap as one bit a pixel; an embedded grey bitmap counts as
// set from half coverage on.
void KeepBitmap(const FT_Bitmap& bitmap, CachedGlyph& g) {
  bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
  if (bitmap.buffer == nullptr || (!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)) return;
  g.width = static_cast<int>(bitmap.width);
  g.rows = static_cast<int>(bitmap.rows);
  g.pitch = (g.width + 7) / 8;
  g.bits.assign(static_cast<std::size_t>(g.rows) * static_cast<std::size_t>(g.pitch), 0);
  for (int r = 0; r < g.rows; ++r) {
    const std::uint8_t* src = bitmap.pitch >= 0 ? bitmap.buffer + r * bitmap.pitch
                                                : bitmap.buffer + (g.rows - 1 - r) * -bitmap.pitch;
    std::uint8_t* dst = g.bits.data() + static_cast<std::size_t>(r) * g.pitch;
    if (mono) {
      std::copy(src, src + g.pitch, dst);
    } else {
      for (int x = 0; x < g.width; ++x)
        if (src[x] >= 128) dst[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
    }
  }
}

int CellWidth(const Font& font, const Cp932Char& c) { return c.bytes == 2 ? font.fullWidth : font.halfWidth; }

// Renders a hinted one-bit glyph of the character into the cache entry.
// A character the font cannot draw keeps no bitmap and advances by its
// cell width.
void Rasterize(Font& font, const Cp932Char& c, CachedGlyph& g) {
  // The slot's bitmap storage is reused.
  g.fontKey = font.glyphKey;
  g.code = c.code;
  g.left = g.top = g.width = g.rows = g.pitch = 0;
  g.bits.clear();
  int cellWidth = CellWidth(font, c);
  g.advance = cellWidth;
  GlyphSource source = FindGlyph(font, c);
  if (source.sized == nullptr) return;
  FT_Face face = renderer.faces[source.sized->faceSlot].face;
  FT_Activate_Size(source.sized->size);
  if (FT_Load_Glyph(face, source.glyph, FT_LOAD_TARGET_MONO) != 0) return;
  FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return;
  g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  g.left = slot->bitmap_left;
  g.top = slot->bitmap_top;
  if (font.fixedCells) {
    g.left += (cellWidth - g.advance) / 2;
    g.advance = cellWidth;
  }
  KeepBitmap(slot->bitmap, g);
}

// The glyph of a character; null for bytes that are no character, which
// take the width of a cell without a glyph.
const CachedGlyph* GlyphOf(Font& font, const Cp932Char& c) {
  if (c.unicode == 0 && !(c.bytes == 2 && renderer.faces[font.main.faceSlot].sjisCodes)) return nullptr;
  if (font.cellHeight > kMaxCachedCellHeight) {
    Rasterize(font, c, renderer.uncached);
    return &renderer.uncached;
  }
  std::uint64_t h = font.glyphKey * 0x9E3779B97F4A7C15ull ^ (c.code * 0xC2B2AE3D27D4EB4Full);
  h ^= h >> 29;
  CachedGlyph& g = renderer.glyphs[h % kGlyphCacheSlots];
  if (g.fontKey != font.glyphKey || g.code != c.code) Rasterize(font, c, g);
  return &g;
}

int AdvanceOf(Font& font, const Cp932Char& c) {
  if (font.fixedCells) return CellWidth(font, c);
  const CachedGlyph* g = GlyphOf(font, c);
  return g != nullptr ? g->advance : CellWidth(font, c);
}

// ---- Pixels ----------------------------------------------------------------

bool Usable(const PixelTarget& t) {
  return t.pixels != nullptr && t.width > 0 && t.height > 0 && (t.bytesPerPixel == 2 || t.bytesPerPixel == 3) &&
         t.pitch >= t.width * t.bytesPerPixel;
}

void Put(std::uint8_t* p, int bytesPerPixel, std::uint32_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
  if (bytesPerPixel == 3) p[2] = static_cast<std::uint8_t>(value >> 16);
}

// Fills [x0, x1) × [y0, y1), clipped to the target.
void Fill(const PixelTarget& t, long long x0, long long y0, long long x1, long long y1, std::uint32_t value) {
  x0 = std::max<long long>(x0, 0);
  y0 = std::max<long long>(y0, 0);
  x1 = std::min<long long>(x1, t.width);
  y1 = std::min<long long>(y1, t.height);
  for (long long y = y0; y < y1; ++y) {
    std::uint8_t* row = t.pixels + y * t.pitch;
    for (long long x = x0; x < x1; ++x) Put(row + x * t.bytesPerPixel, t.bytesPerPixel, value);
  }
}

// Draws the glyph's set bits with its first column at `left` and first row
// at `top`, only inside the target and the rows [clipTop, clipBottom) of
// the text's cells.
void Blit(const PixelTarget& t, const CachedGlyph& g, long long left, long long top, long long clipTop,
          long long clipBottom, std::uint32_t value) {
  long long rowMin = std::max<long long>({0, clipTop, top});
  long long rowMax = std::min<long long>({t.height, clipBottom, top + g.rows});
  long long colMin = std::max<long long>(0, left);
  long long colMax = std::min<long long>(t.width, left + g.width);
  for (long long y = rowMin; y < rowMax; ++y) {
    const std::uint8_t* src = g.bits.data() + (y - top) * g.pitch;
    std::uint8_t* row = t.pixels + y * t.pitch;
    for (long long x = colMin; x < colMax; ++x) {
      long long c = x - left;
      if ((src[c >> 3] & (0x80 >> (c & 7))) != 0) Put(row + x * t.bytesPerPixel, t.bytesPerPixel, value);
    }
  }
}

}  // namespace

FontHandle CreateFont(std::string_view faceCp932, int cellHeight) { return MakeFont(faceCp932, cellHeight); }

void DeleteFont(FontHandle handle) {
  Font* font = FontAt(handle);
  // The default font belongs to the renderer and stays for the run.
  if (font == nullptr || handle == renderer.defaultFont) return;
  ReleaseSized(font->main);
  ReleaseSized(font->fallback);
  *font = Font{};
}

FontHandle DefaultFont() {
  if (FontAt(renderer.defaultFont) == nullptr) renderer.defaultFont = MakeFont("ＭＳ ゴシック"_sj, kDefaultCellHeight);
  return renderer.defaultFont;
}

std::string FontFamilyName(FontHandle handle) {
  Font* font = FontAt(handle);
  if (font == nullptr) return {};
  const char* family = renderer.faces[font->main.faceSlot].face->family_name;
  return family != nullptr ? family : "";
}

TextExtent MeasureText(FontHandle handle, std::string_view cp932) {
  Font* font = FontAt(handle);
  if (font == nullptr) return {};
  long long width = 0;
  for (std::size_t i = 0; i < cp932.size();) {
    Cp932Char c = DecodeCp932(cp932, i);
    i += static_cast<std::size_t>(c.bytes);
    width += AdvanceOf(*font, c);
  }
  return {static_cast<int>(std::min<long long>(width, 1 << 30)), font->cellHeight};
}

void DrawText(const PixelTarget& target, FontHandle handle, int x, int y, std::string_view cp932,
              std::uint32_t foreground, bool opaque, std::uint32_t background) {
  Font* font = FontAt(handle);
  if (font == nullptr || !Usable(target)) return;
  long long top = y;
  long long bottom = top + font->cellHeight;
  if (opaque) Fill(target, x, top, static_cast<long long>(x) + MeasureText(handle, cp932).width, bottom, background);
  long long pen = x;
  long long baseline = top + font->main.ascent;
  for (std::size_t i = 0; i < cp932.size();) {
    if (pen > target.width + font->cellHeight) break;  // nothing further can show
    Cp932Char c = DecodeCp932(cp932, i);
    i += static_cast<std::size_t>(c.bytes);
    const CachedGlyph* g = GlyphOf(*font, c);
    if (g == nullptr) {
      pen += CellWidth(*font, c);
      continue;
    }
    if (!g->bits.empty()) Blit(target, *g, pen + g->left, baseline - g->top, top, bottom, foreground);
    pen += g->advance;
  }
}

bool AddFontFile(const std::string& hostPath) {
  if (!Start()) return false;
  for (const AddedFace& added : renderer.addedFaces)
    if (added.file == hostPath) return true;
  FT_Face probe = nullptr;
  if (FT_New_Face(renderer.library, hostPath.c_str(), -1, &probe) != 0) return false;
  long count = probe->num_faces;
  FT_Done_Face(probe);
  if (count < 1 || static_cast<long>(renderer.addedFaces.size()) + count > kMaxAddedFaces) return false;
  std::vector<AddedFace> faces;
  for (long i = 0; i < count; ++i) {
    FT_Face face = nullptr;
    if (FT_New_Face(renderer.library, hostPath.c_str(), i, &face) != 0) continue;
    AddedFace added{hostPath, static_cast<int>(i), FamilyNames(face)};
    FT_Done_Face(face);
    if (!added.familiesUtf8.empty()) faces.push_back(std::move(added));
  }
  if (faces.empty()) return false;
  renderer.addedFaces.insert(renderer.addedFaces.end(), faces.begin(), faces.end());
  ForgetFaceNames();
  return true;
}

void RemoveFontFile(const std::string& hostPath) {
  // Fonts already made from the file keep drawing; new ones cannot name it.
  std::erase_if(renderer.addedFaces, [&](const AddedFace& added) { return added.file == hostPath; });
  ForgetFaceNames();
}

}  // namespace kb
