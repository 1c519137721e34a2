// What the page tells its user beyond the count, as the programs do in their message boxes: a file that
// could not be read, and a copy the browser refused, said beside the count with a button that copies.

export class Questions {
  #rules;
  #refusal;
  #button;

  // Says what `rules` word in `refusal`, offering `button`, which calls `copy`.
  constructor(rules, refusal, button, copy) {
    this.#rules = rules;
    this.#refusal = refusal;
    this.#button = button;
    button.textContent = rules.copyButton();
    button.addEventListener('click', copy);
  }

  // The file named `name` was gone or unreadable once chosen: said as the programs say it.
  cannotRead(name) {
    alert(this.#rules.fileError(name));
  }

  // Whether the latest copy was refused (outside a user's gesture in some browsers, or without the
  // permission): then said, and the button offered, until a copy succeeds.
  copied(refused) {
    this.#refusal.textContent = refused ? this.#rules.copyRefused() : '';
    this.#button.hidden = !refused;
  }
}
