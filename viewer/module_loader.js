// The page's modules travel as text in <script type="text/plain" data-module="NAME"> elements,
// so that the page works from a file with no network. Each becomes a blob URL, and an import map
// gives the names, before the player's module script is read.
(() => {
  const imports = {};
  for (const element of document.querySelectorAll('script[data-module]')) {
    const blob = new Blob([element.textContent], { type: 'text/javascript' });
    imports[element.dataset.module] = URL.createObjectURL(blob);
  }
  const map = document.createElement('script');
  map.type = 'importmap';
  map.textContent = JSON.stringify({ imports });
  document.currentScript.after(map);
})();
