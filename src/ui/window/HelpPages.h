#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace brennic {

// Whether the desktop can show a web page: xdg-open is there and a browser for it to start
// ($BROWSER, or one of the usual browser commands on the PATH). Any thread.
bool BrowserAvailable();

// Shows a page of the help beside the program (`programFolder`/help/`page`) through `open`.
// When the page is missing or no browser can show it, `tell` says so and where the help
// is, so that it can be read some other way. Returns whether `open` took the page. Main
// thread.
bool OpenHelpPage(const QString& programFolder, const QString& page,
                  const std::function<bool(const QUrl&)>& open,
                  const std::function<void(const QString& text, const QString& caption)>& tell);

}  // namespace brennic
