// Opened from a file, the page cannot load the game's code (the browser keeps
// such a page from loading modules), so it says how to serve it instead, in
// both languages, as there is no game to give its words. A classic script,
// which a file may load; a page that is served never fetches it.
document.getElementById("from-file").innerHTML = `
<div lang="en">
<p>The game does not run from a file: the browser keeps a page opened that way from loading the
game's code. Serve this folder over http and open its address. In this folder:</p>
<p><code>python3 -m http.server 8000 --bind 127.0.0.1</code></p>
<p>then open <code>http://127.0.0.1:8000/</code>. (From the game's source tree,
<code>./scripts/web.sh</code> builds the page and serves it so.)</p>
</div>
<div lang="zh-CN">
<p>游戏不能从文件运行：这样打开的页面，浏览器不让它加载游戏的代码。请通过 http 提供这个文件夹，再打开它的地址。在这个文件夹里运行：</p>
<p><code>python3 -m http.server 8000 --bind 127.0.0.1</code></p>
<p>然后打开 <code>http://127.0.0.1:8000/</code>。（在游戏的源代码目录里，<code>./scripts/web.sh</code>
会构建本页并这样提供。）</p>
</div>`;
document.getElementById("from-file").hidden = false;
