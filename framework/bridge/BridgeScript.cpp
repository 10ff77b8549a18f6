#include "framework/bridge/BridgeScript.h"

#include <algorithm>
#include <cctype>

namespace plat::ui {
namespace {

const char kScript[] = R"JS(// Page bridge: connects this page to the dialog that shows it.
(function () {
  'use strict';
  if (window.top !== window || window.__dialogBridge) return;
  window.__dialogBridge = true;

  var POLL_MS = 2000;   // a poll ends at least this often, so a closed tab goes quiet soon
  var doc = 0;          // the document number the dialog gave this page
  var version = 0;      // the last state version seen
  var bound = {};       // ids whose clicks go to the dialog
  var stopped = false;
  var failures = 0;

  function request(method, path, body) {
    var init = { method: method, credentials: 'same-origin', cache: 'no-store', headers: {} };
    if (body !== undefined) {
      init.headers['Content-Type'] = 'application/json';
      init.body = JSON.stringify(body);
    }
    return fetch(path, init).then(function (r) {
      return r.json().catch(function () { return {}; }).then(function (j) {
        if (!r.ok && !j.state) throw new Error('HTTP ' + r.status);
        return j;
      });
    });
  }

  function texts() {
    var out = {}, all = document.querySelectorAll('[id]');
    for (var i = 0; i < all.length; i++) {
      var id = all[i].id;
      if (!(id in out)) out[id] = all[i].innerText;
    }
    return out;
  }

  function notice(text) {
    var box = document.getElementById('__dialogBridgeNotice');
    if (!box) {
      box = document.createElement('div');
      box.id = '__dialogBridgeNotice';
      box.style.cssText = 'position:fixed;left:0;top:0;right:0;bottom:0;z-index:2147483647;' +
        'background:rgba(255,255,255,0.92);color:#222;font:16px sans-serif;display:flex;' +
        'align-items:center;justify-content:center;text-align:center;padding:2em';
      document.body.appendChild(box);
    }
    box.textContent = text;
  }

  // Brings the page in line with the dialog's state; false when this page
  // is done (it leaves, or the dialog has ended).
  function apply(s) {
    if (s.version < version) return !stopped; // an older answer overtaken by a newer one
    version = s.version;
    if (s.ended) {
      stopped = true;
      notice('The program has ended. You can close this window.');
      window.close();
      return false;
    }
    if (s.caption) document.title = s.caption;
    document.documentElement.style.overflow = s.scroll === false ? 'hidden' : '';
    if (s.url && (s.pending || doc === 0)) {
      stopped = true;
      location.replace(s.url);
      return false;
    }
    if (doc !== 0 && s.doc !== doc) {
      stopped = true;
      notice('This page is now shown in another window.');
      return false;
    }
    bound = {};
    (s.bound || []).forEach(function (id) { bound[id] = true; });
    var updates = s.updates || {};
    Object.keys(updates).forEach(function (id) {
      var el = document.getElementById(id);
      if (el && el.innerText !== updates[id]) el.innerText = updates[id];
    });
    return true;
  }

  function poll() {
    if (stopped) return;
    request('GET', '/bridge/events?since=' + version + '&wait=' + POLL_MS).then(function (s) {
      failures = 0;
      if (apply(s)) poll();
    }).catch(function () {
      if (++failures >= 3) notice('The program is not running any more. You can close this window.');
      setTimeout(poll, 1000);
    });
  }

  document.addEventListener('click', function (e) {
    for (var el = e.target; el && el.nodeType === 1; el = el.parentNode) {
      if (el.id && bound[el.id]) {
        e.preventDefault();
        request('POST', '/bridge/click', { id: el.id, doc: doc, texts: texts() }).then(function (r) {
          if (r.state) apply(r.state);
        }).catch(function () {});
        return;
      }
    }
  }, true);

  function loaded() {
    request('POST', '/bridge/loaded', { url: location.pathname, texts: texts() }).then(function (r) {
      if (r.accepted) doc = r.doc;
      if (!r.state) throw new Error('no state');
      if (apply(r.state)) poll();
    }).catch(function () { setTimeout(loaded, 1000); });
  }

  if (document.readyState === 'complete') loaded();
  else window.addEventListener('load', loaded);
})();
)JS";

const char kHeadAddition[] = "<link rel=\"icon\" href=\"/favicon.ico\"><script src=\"/bridge/bridge.js\"></script>";

// Position right after the opening tag `name` (case-insensitive), or npos.
size_t afterTag(const std::string& html, const std::string& lower, const char* name)
{
    size_t at = lower.find(name);
    while (at != std::string::npos) {
        char next = at + std::char_traits<char>::length(name) < lower.size()
                        ? lower[at + std::char_traits<char>::length(name)]
                        : '\0';
        if (next == '>' || std::isspace(static_cast<unsigned char>(next))) {
            size_t close = html.find('>', at);
            return close == std::string::npos ? std::string::npos : close + 1;
        }
        at = lower.find(name, at + 1);
    }
    return std::string::npos;
}

std::string escapeHtml(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace

const char* BridgeScript()
{
    return kScript;
}

std::string InjectBridge(const std::string& html)
{
    std::string lower(html);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    size_t at = afterTag(html, lower, "<head");
    if (at == std::string::npos)
        at = afterTag(html, lower, "<html");
    if (at == std::string::npos) {
        size_t doctype = lower.find("<!doctype");
        size_t close = doctype == std::string::npos ? std::string::npos : html.find('>', doctype);
        at = close == std::string::npos ? 0 : close + 1;
    }
    std::string out = html;
    out.insert(at, kHeadAddition);
    return out;
}

std::string MissingPage(const std::string& address)
{
    return std::string("<!DOCTYPE html><html><head>") + kHeadAddition +
           "<meta charset=\"utf-8\"><title>The page cannot be displayed</title></head><body>"
           "<h1>The page cannot be displayed</h1><p>" +
           escapeHtml(address) + " was not found.</p></body></html>";
}

} // namespace plat::ui
