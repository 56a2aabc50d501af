#pragma once
// XmlStream: XML written straight into a string, element by element, two
// spaces of indent a level. A score of thousands of notes is written this
// way in a few milliseconds, where building a document tree first cost
// several times as long in allocations alone.
//
// Thread-safety: one stream per thread; it owns nothing but its text.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kumoito::musicxml {

using XmlAttributes = std::initializer_list<std::pair<std::string_view, std::string_view>>;

class XmlStream {
 public:
  explicit XmlStream(std::size_t reserve) { m_text.reserve(reserve); }

  void Raw(std::string_view text) { m_text += text; }

  void Open(std::string_view name, XmlAttributes attributes = {}) {
    StartTag(name, attributes);
    m_text += ">\n";
    m_open.push_back(name);
  }
  void Close() {
    const std::string_view name = m_open.back();
    m_open.pop_back();
    Indent();
    m_text += "</";
    m_text += name;
    m_text += ">\n";
  }
  void Empty(std::string_view name, XmlAttributes attributes = {}) {
    StartTag(name, attributes);
    m_text += "/>\n";
  }
  void Leaf(std::string_view name, std::string_view text, XmlAttributes attributes = {}) {
    StartTag(name, attributes);
    m_text += '>';
    Escape(text);
    m_text += "</";
    m_text += name;
    m_text += ">\n";
  }
  void Leaf(std::string_view name, int value) { Leaf(name, std::to_string(value)); }

  std::string Take() { return std::move(m_text); }

 private:
  void Indent() { m_text.append(2 * m_open.size(), ' '); }

  void StartTag(std::string_view name, XmlAttributes attributes) {
    Indent();
    m_text += '<';
    m_text += name;
    for (const auto& [key, value] : attributes) {
      m_text += ' ';
      m_text += key;
      m_text += "=\"";
      Escape(value);
      m_text += '"';
    }
  }

  // Markup characters as entities; control characters XML does not allow
  // are left out.
  void Escape(std::string_view text) {
    for (const char c : text) {
      switch (c) {
        case '&':
          m_text += "&amp;";
          break;
        case '<':
          m_text += "&lt;";
          break;
        case '>':
          m_text += "&gt;";
          break;
        case '"':
          m_text += "&quot;";
          break;
        default:
          if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r') {
            m_text += c;
          }
      }
    }
  }

  std::string m_text;
  std::vector<std::string_view> m_open;  // names of static storage or the caller's
};

}  // namespace kumoito::musicxml
