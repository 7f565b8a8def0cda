#pragma once

#include "server/HttpMessage.h"
#include "server/RouteContext.h"

#include <kainjow/mustache.hpp>
#include <string>

using PageData = kainjow::mustache::data;

// A page of the site: the body template rendered with its data (every {{value}} HTML-escaped), inside
// the common layout (title, navigation, the signed-in user and the logout form with its CSRF token).
HttpResponse renderPage(const QString& title, const std::string& bodyTemplate, const PageData& body,
                        const Principal* user, int status = 200);
// A short page that says why something is not there.
HttpResponse messagePage(int status, const QString& title, const QString& text, const Principal* user);
// 303 to a path of the site.
HttpResponse redirectTo(const QByteArray& location);

// Values for templates.
std::string text(const QString& value);
PageData list(); // an empty list to push_back into
// "#c62828" from 0xC62828.
std::string cssColour(uint32_t rgb);
// Escapes text for inside SVG or HTML built by hand.
QString xmlEscaped(const QString& value);
