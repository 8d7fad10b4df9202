// A strict JSON reader for the plug-in's answer envelope: UTF-8 checked first,
// then one object of exactly three members read by recursive descent.
#include "host/EnvelopeCheck.h"

#include <cstddef>

namespace nphost {
namespace {

// RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF.
bool ValidUtf8(const std::string &text, std::string &why) {
  const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size;) {
    const unsigned char lead = bytes[i];
    std::size_t length = 0;
    uint32_t minimum = 0;
    uint32_t value = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, minimum = 0x80, value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, minimum = 0x800, value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, minimum = 0x10000, value = lead & 0x07;
    } else {
      why = "invalid UTF-8 lead byte at " + std::to_string(i);
      return false;
    }
    if (size - i < length) {
      why = "truncated UTF-8 sequence at " + std::to_string(i);
      return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) {
        why = "invalid UTF-8 continuation at " + std::to_string(i + k);
        return false;
      }
      value = (value << 6) | (bytes[i + k] & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF ||
        (value >= 0xD800 && value <= 0xDFFF)) {
      why = "invalid UTF-8 scalar at " + std::to_string(i);
      return false;
    }
    i += length;
  }
  return true;
}

class Reader {
public:
  explicit Reader(const std::string &text) : m_text(text) {}

  bool Envelope(nphost::Envelope &envelope) {
    Blank();
    if (!Take('{'))
      return Fail("no object");
    if (!Member("result") || !String(envelope.result) || !Next() ||
        !Member("status") || !Integer(envelope.status) || !Next() ||
        !Member("description") || !String(envelope.description))
      return false;
    Blank();
    if (!Take('}'))
      return Fail("more than three members, or no closing brace");
    Blank();
    if (m_at != m_text.size())
      return Fail("text after the object");
    return true;
  }

  const std::string &Why() const { return m_why; }

private:
  bool Fail(const std::string &why) {
    if (m_why.empty())
      m_why = why + " at offset " + std::to_string(m_at);
    return false;
  }
  void Blank() {
    while (m_at < m_text.size() &&
           (m_text[m_at] == ' ' || m_text[m_at] == '\t' ||
            m_text[m_at] == '\n' || m_text[m_at] == '\r'))
      ++m_at;
  }
  bool Take(char c) {
    if (m_at < m_text.size() && m_text[m_at] == c) {
      ++m_at;
      return true;
    }
    return false;
  }
  bool Next() {
    Blank();
    return Take(',') || Fail("no comma between members");
  }
  bool Member(const char *name) {
    Blank();
    std::string key;
    if (!String(key))
      return false;
    if (key != name)
      return Fail(std::string("member \"") + key + "\" where \"" + name +
                  "\" belongs");
    Blank();
    return Take(':') || Fail("no colon after a member name");
  }
  bool Hex4(uint32_t &unit) {
    unit = 0;
    for (int k = 0; k < 4; ++k, ++m_at) {
      if (m_at >= m_text.size())
        return Fail("short \\u escape");
      const char c = m_text[m_at];
      unit <<= 4;
      if (c >= '0' && c <= '9')
        unit |= static_cast<uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f')
        unit |= static_cast<uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        unit |= static_cast<uint32_t>(c - 'A' + 10);
      else
        return Fail("bad \\u escape");
    }
    return true;
  }
  static void Append(std::string &out, uint32_t cp) {
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
  bool Escape(std::string &out) {
    if (m_at >= m_text.size())
      return Fail("unterminated string");
    const char c = m_text[m_at++];
    switch (c) {
    case '"':
    case '\\':
    case '/':
      out += c;
      return true;
    case 'b':
      out += '\b';
      return true;
    case 'f':
      out += '\f';
      return true;
    case 'n':
      out += '\n';
      return true;
    case 'r':
      out += '\r';
      return true;
    case 't':
      out += '\t';
      return true;
    case 'u': {
      uint32_t unit = 0;
      if (!Hex4(unit))
        return false;
      if (unit >= 0xDC00 && unit <= 0xDFFF)
        return Fail("lone low surrogate escape");
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        uint32_t low = 0;
        if (!Take('\\') || !Take('u') || !Hex4(low) || low < 0xDC00 ||
            low > 0xDFFF)
          return Fail("lone high surrogate escape");
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      }
      Append(out, unit);
      return true;
    }
    default:
      return Fail("bad escape");
    }
  }
  bool String(std::string &out) {
    out.clear();
    Blank();
    if (!Take('"'))
      return Fail("no string");
    while (m_at < m_text.size()) {
      const unsigned char c = static_cast<unsigned char>(m_text[m_at++]);
      if (c == '"')
        return true;
      if (c < 0x20)
        return Fail("unescaped control character");
      if (c == '\\') {
        if (!Escape(out))
          return false;
      } else {
        out += static_cast<char>(c);
      }
    }
    return Fail("unterminated string");
  }
  // JSON's number grammar, restricted to integers that fit.
  bool Integer(int64_t &value) {
    Blank();
    const bool negative = Take('-');
    if (m_at >= m_text.size() || m_text[m_at] < '0' || m_text[m_at] > '9')
      return Fail("no number");
    if (m_text[m_at] == '0' && m_at + 1 < m_text.size() &&
        m_text[m_at + 1] >= '0' && m_text[m_at + 1] <= '9')
      return Fail("leading zero");
    value = 0;
    while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9') {
      if (value > 100000000000LL)
        return Fail("number too large");
      value = value * 10 + (m_text[m_at++] - '0');
    }
    if (m_at < m_text.size() &&
        (m_text[m_at] == '.' || m_text[m_at] == 'e' || m_text[m_at] == 'E'))
      return Fail("status is not an integer");
    if (negative)
      value = -value;
    return true;
  }

  const std::string &m_text;
  std::size_t m_at = 0;
  std::string m_why;
};

} // namespace

bool ParseEnvelope(const std::string &text, Envelope &envelope,
                   std::string &why) {
  why.clear();
  if (!ValidUtf8(text, why))
    return false;
  Reader reader(text);
  if (!reader.Envelope(envelope)) {
    why = reader.Why();
    return false;
  }
  if (envelope.status == 0 && envelope.description == "success")
    return true;
  if (envelope.status == 9999 && envelope.description == "unknown error")
    return true;
  why = "status " + std::to_string(envelope.status) + " described as \"" +
        envelope.description + "\"";
  return false;
}

} // namespace nphost
