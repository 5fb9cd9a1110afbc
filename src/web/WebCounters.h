#pragma once

#include <string>

namespace brennic {

// Codes a publication can end with. Each says where it stopped.
enum WebErrorCode : int {
    kWebNoSession = 100,      // the FTP session could not be set up
    kWebHostUnknown = 200,    // the server name did not resolve
    kWebUserUnknown = 300,    // the server refused the user name
    kWebLoginRefused = 301,   // the server refused the user name or password
    kWebLoginFailed = 302,    // any other failure to connect or log in
    kWebBadPath = 303,        // the server path could not be made current
    kWebOpenFailed = 400,     // TEMP.htm could not be opened for writing
    kWebUploadFailed = 500,   // writing the file's bytes failed
    kWebCloseFailed = 600,    // the server did not confirm the completed file
    kWebRenameFailed = 601,   // TEMP.htm could not be renamed to its target
    kWebScreenOrLocal = 900,  // the screen shot or a local file failed
};

// The publisher's counters and last error. Shown by the main display ("Web Uploads",
// "Web Errors") and the FTP dialog.
struct WebCounters {
    int errors = 0;            // every reported error ("Count", "Web Errors")
    int screenErrors = 0;      // "Screen"; nothing counts here
    int connectErrors = 0;     // "FTPConnect"
    int timeoutErrors = 0;     // "FTPTimeout"; nothing counts here
    int loginErrors = 0;       // "FTP Other"
    int fileErrors = 0;        // "FTP File"
    int screenFileErrors = 0;  // "Screen File"
    int uploads = 0;  // publications that reached the statistics page ("Uploads", "ftpsample")
    long lastErrorCode = 0;  // system or server code recorded last
    std::string lastErrorText;
};

// The user's message for a raised code ("Unknown error" for codes outside the table).
const char* WebErrorMessage(int code);

// Counts one reported error: the error count, the code's own counter, and the code's message
// as the last error text, followed by ": " and `cause` when one is given (the library's text
// for the failing step or the server's reply to the failing command), so that a refused
// connection and a silent server do not both read as a bad login. Returns that text.
std::string CountWebError(WebCounters& counters, int code, const std::string& cause = {});

}  // namespace brennic
