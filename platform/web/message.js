// The game's message box, over the game's black screen as on Windows.

// Shows the box; resolves when OK closes it.
export function showMessage(caption, text) {
  const box = document.getElementById("message");
  const ok = box.querySelector("button");
  box.querySelector("h1").textContent = caption;
  box.querySelector("p").textContent = text.replace(/\r\n?/g, "\n");
  box.hidden = false;
  ok.focus();
  // The box takes the keys while it is open: Enter, Space and Escape close it.
  box.onkeydown = box.onkeyup = (e) => {
    e.stopPropagation();
    if (e.type === "keydown" && e.key === "Escape") ok.click();
  };
  return new Promise((resolve) => {
    ok.onclick = () => {
      box.hidden = true;
      // The keys are the game's again at once, not when the browser next
      // notices that the focused button is gone.
      ok.blur();
      resolve();
    };
  });
}
