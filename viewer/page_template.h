#ifndef ZAR_VIEWER_PAGE_TEMPLATE_H_
#define ZAR_VIEWER_PAGE_TEMPLATE_H_

// The viewer page as built into the tool (generated from page.html, the player's files and
// three.js): the text before the motion data and the text after it, each in pieces to be
// written one after the other.

#include <span>
#include <string_view>

namespace zar::viewer {

std::span<const std::string_view> PageHead();
std::span<const std::string_view> PageTail();

}  // namespace zar::viewer

#endif  // ZAR_VIEWER_PAGE_TEMPLATE_H_
