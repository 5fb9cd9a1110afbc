#pragma once

// A real HTTP client (libcurl) for the tests of the dashboard server on 127.0.0.1.

#include <curl/curl.h>

#include <string>
#include <vector>

namespace brennic::test {

struct HttpAnswer {
    long status = 0;  // 0: no answer (refused, reset, timed out)
    std::string body;
    std::string contentType;
    CURLcode code = CURLE_OK;
};

inline std::size_t CollectBody(char* data, std::size_t size, std::size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

// One request; `headers` as "Name: value". A body turns it into a request with that body.
inline HttpAnswer HttpGet(const std::string& url, const std::vector<std::string>& headers = {},
                          const char* method = nullptr, const std::string* body = nullptr) {
    HttpAnswer a;
    CURL* curl = curl_easy_init();
    curl_slist* list = nullptr;
    for (const auto& h : headers) {
        list = curl_slist_append(list, h.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &a.body);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    if (method != nullptr) {
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method);
    }
    if (body != nullptr) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body->c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body->size()));
    }
    a.code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &a.status);
    char* type = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
    a.contentType = type != nullptr ? type : "";
    curl_slist_free_all(list);
    curl_easy_cleanup(curl);
    return a;
}

}  // namespace brennic::test
