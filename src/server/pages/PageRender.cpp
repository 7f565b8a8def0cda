#include "server/pages/PageRender.h"

#include "server/pages/PageTemplates.h"

namespace {
using kainjow::mustache::mustache;
} // namespace

std::string text(const QString& value) {
    return value.toStdString();
}

PageData list() {
    return PageData(PageData::type::list);
}

std::string cssColour(uint32_t rgb) {
    return QStringLiteral("#%1").arg(rgb & 0xFFFFFF, 6, 16, QLatin1Char('0')).toStdString();
}

QString xmlEscaped(const QString& value) {
    return value.toHtmlEscaped().replace(QLatin1Char('\''), QStringLiteral("&#39;"));
}

HttpResponse renderPage(const QString& title, const std::string& bodyTemplate, const PageData& body,
                        const Principal* user, int status) {
    mustache bodyView(bodyTemplate);
    PageData layout;
    layout.set("title", text(title));
    layout.set("content", bodyView.render(body));
    if (user) {
        layout.set("signed_in", true);
        layout.set("user", text(user->name));
        layout.set("csrf", std::string(user->csrf.constData(), size_t(user->csrf.size())));
    }
    HttpResponse response;
    response.status = status;
    response.body = QByteArray::fromStdString(mustache(kLayoutTemplate).render(layout));
    response.setHeader("Content-Type", "text/html; charset=utf-8");
    return response;
}

HttpResponse messagePage(int status, const QString& title, const QString& message, const Principal* user) {
    PageData body;
    body.set("message", text(message));
    return renderPage(title, kMessageTemplate, body, user, status);
}

HttpResponse redirectTo(const QByteArray& location) {
    HttpResponse response;
    response.status = 303;
    response.setHeader("Location", location);
    return response;
}
