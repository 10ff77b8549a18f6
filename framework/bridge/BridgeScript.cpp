#include "framework/bridge/BridgeScript.h"

#include <algorithm>
#include <cctype>

namespace afx::bridge {
namespace {

const char kScript[] = R"JS(// Page bridge: connects this page to the dialog that shows it.
// ECMAScript 5 only: the system's browser control runs it as well.
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
  var polling = false;  // one poll at a time
  var swapping = false; // the next page is being put in place

  // One exchange with the dialog. done(answer) gets the JSON answer (an
  // error answer too when it carries the state), failed() everything else.
  function request(method, path, body, done, failed) {
    var xhr = new XMLHttpRequest();
    xhr.open(method, path, true);
    if (body !== undefined) xhr.setRequestHeader('Content-Type', 'application/json');
    xhr.onreadystatechange = function () {
      if (xhr.readyState !== 4) return;
      var answer = {};
      try { answer = JSON.parse(xhr.responseText); } catch (e) { answer = {}; }
      if (!answer || typeof answer !== 'object') answer = {};
      var ok = xhr.status >= 200 && xhr.status < 300;
      if (ok || answer.state) done(answer);
      else failed();
    };
    xhr.send(body === undefined ? null : JSON.stringify(body));
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
        'background:#fff;background:rgba(255,255,255,0.92);color:#222;font:16px sans-serif;' +
        'text-align:center;padding:30vh 2em 2em';
      document.body.appendChild(box);
    }
    box.textContent = text;
  }

  function each(list, action) {
    for (var i = 0; i < list.length; i++) action(list[i]);
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
      if (swapping) return false;
      if (doc !== 0 && sameFolder(s.url)) {
        swapTo(s.url);
        return false;
      }
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
    each(s.bound || [], function (id) { bound[id] = true; });
    var updates = s.updates || {};
    each(Object.keys(updates), function (id) {
      var el = document.getElementById(id);
      if (el && el.innerText !== updates[id]) el.innerText = updates[id];
    });
    return true;
  }

  function poll() {
    if (stopped || polling || swapping) return;
    polling = true;
    request('GET', '/bridge/events?since=' + version + '&wait=' + POLL_MS, undefined, function (s) {
      polling = false;
      failures = 0;
      if (apply(s)) poll();
    }, function () {
      polling = false;
      if (++failures >= 3) notice('The program is not running any more. You can close this window.');
      setTimeout(poll, 1000);
    });
  }

  // The dialog's next page lies beside this one: it is fetched and put in
  // place of this document's content, as a navigation would, but without
  // a new document (no new connection, style sheets already applied), which
  // makes a page change several times quicker. Anything unexpected falls
  // back to a real navigation.
  function folderOf(path) { return path.replace(/[^\/]*$/, ''); }
  function sameFolder(url) {
    return url.charAt(0) === '/' && folderOf(url.split('?')[0]) === folderOf(location.pathname);
  }

  function linkKey(n) { return n.getAttribute('rel') + ' ' + n.getAttribute('href'); }

  function copy(list) { return Array.prototype.slice.call(list); }

  function show(html, url) {
    var next = new DOMParser().parseFromString(html, 'text/html');
    history.replaceState(null, '', url);
    var root = document.documentElement, i;
    for (i = root.attributes.length - 1; i >= 0; i--) {
      if (root.attributes[i].name !== 'style') root.removeAttribute(root.attributes[i].name);
    }
    for (i = 0; i < next.documentElement.attributes.length; i++) {
      var a = next.documentElement.attributes[i];
      if (a.name !== 'style') root.setAttribute(a.name, a.value);
    }
    // Links both pages have stay as they are (a style sheet taken out and
    // put back would be applied anew); scripts of the head are the bridge.
    var kept = {};
    each(copy(document.head.childNodes), function (n) {
      if (n.nodeName === 'SCRIPT') return;
      if (n.nodeName === 'LINK') kept[linkKey(n)] = n;
      else document.head.removeChild(n);
    });
    each(copy(next.head.childNodes), function (n) {
      if (n.nodeName === 'SCRIPT') return;
      if (n.nodeName === 'LINK' && kept[linkKey(n)]) { delete kept[linkKey(n)]; return; }
      document.head.appendChild(document.adoptNode(n));
    });
    each(Object.keys(kept), function (k) { document.head.removeChild(kept[k]); });
    root.replaceChild(document.adoptNode(next.body), document.body);
    // Scripts of a parsed document do not run; fresh copies do.
    each(copy(document.body.getElementsByTagName('script')), function (o) {
      var n = document.createElement('script');
      for (var j = 0; j < o.attributes.length; j++) n.setAttribute(o.attributes[j].name, o.attributes[j].value);
      n.text = o.text;
      o.parentNode.replaceChild(n, o);
    });
    window.scrollTo(0, 0);
  }

  function swapTo(url) {
    swapping = true;
    bound = {};
    function navigate() {
      stopped = true;
      location.replace(url);
    }
    var xhr = new XMLHttpRequest();
    xhr.open('GET', url, true);
    xhr.onreadystatechange = function () {
      if (xhr.readyState !== 4) return;
      var type = xhr.getResponseHeader('Content-Type') || '';
      if (xhr.status !== 200 || type.indexOf('text/html') !== 0) return navigate();
      try {
        show(xhr.responseText, url);
      } catch (e) {
        return navigate();
      }
      swapping = false;
      loaded();
    };
    xhr.send(null);
  }

  function onClick(e) {
    for (var el = e.target; el && el.nodeType === 1; el = el.parentNode) {
      if (el.id && bound[el.id]) {
        e.preventDefault();
        request('POST', '/bridge/click', { id: el.id, doc: doc, texts: texts() }, function (r) {
          if (r.state) apply(r.state);
        }, function () {});
        return;
      }
    }
  }
  document.addEventListener('click', onClick, true);

  function loaded() {
    function retry() { setTimeout(loaded, 1000); }
    request('POST', '/bridge/loaded', { url: location.pathname, texts: texts() }, function (r) {
      if (r.accepted) doc = r.doc;
      if (!r.state) return retry();
      if (apply(r.state)) poll();
    }, retry);
  }

  if (document.readyState === 'complete') loaded();
  else window.addEventListener('load', loaded);
})();
)JS";

const char kIconLink[] = "<link rel=\"icon\" href=\"/favicon.ico\">";

// The bridge goes into the page itself: a script file would be one more
// request, and one that holds up the page's first paint.
std::string headAddition()
{
    return std::string(kIconLink) + "<script>" + kScript + "</script>";
}

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
    out.insert(at, headAddition());
    return out;
}

std::string MissingPage(const std::string& address)
{
    return std::string("<!DOCTYPE html><html><head>") + headAddition() +
           "<meta charset=\"utf-8\"><title>The page cannot be displayed</title></head><body>"
           "<h1>The page cannot be displayed</h1><p>" +
           escapeHtml(address) + " was not found.</p></body></html>";
}

} // namespace afx::bridge
