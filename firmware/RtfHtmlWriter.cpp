#include "RtfHtmlWriter.h"

#include <cstdio>

namespace Sondrel {

namespace {

void AppendEscaped(std::string& html, const std::string& text) {
    for (char c : text) {
        switch (c) {
        case '&':
            html += "&amp;";
            break;
        case '<':
            html += "&lt;";
            break;
        case '>':
            html += "&gt;";
            break;
        case '"':
            html += "&quot;";
            break;
        case '\'':
            html += "&#39;";
            break;
        case '\n':
            html += "<br/>";
            break;
        default:
            html += c;
            break;
        }
    }
}

std::string SpanStyle(const TRtfCharFormat& format) {
    std::string style = "font-size:" + std::to_string(format.HalfPoints / 2);
    if (format.HalfPoints % 2 != 0) {
        style += ".5";
    }
    style += "pt";
    if (format.Bold) {
        style += "; font-weight:bold";
    }
    if (format.Italic) {
        style += "; font-style:italic";
    }
    if (format.Underline) {
        style += "; text-decoration:underline";
    }
    if (format.Colour) {
        char colour[8];
        std::snprintf(colour, sizeof colour, "#%02x%02x%02x", format.Colour->Red,
                      format.Colour->Green, format.Colour->Blue);
        style += "; color:";
        style += colour;
    }
    return style;
}

} // namespace

std::string RtfToHtml(const TRtfDocument& document) {
    if (document.Damaged) {
        return std::string();
    }
    std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head><body>\n";
    for (const auto& paragraph : document.Paragraphs) {
        html += "<p style=\"margin-top:0; margin-bottom:0; white-space:pre-wrap\">";
        if (paragraph.Runs.empty()) {
            html += "&nbsp;";
        }
        for (const auto& run : paragraph.Runs) {
            html += "<span style=\"" + SpanStyle(run.Format) + "\">";
            AppendEscaped(html, run.Text);
            html += "</span>";
        }
        html += "</p>\n";
    }
    html += "</body></html>\n";
    return html;
}

} // namespace Sondrel
