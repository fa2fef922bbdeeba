// The learner's page: asks the server for a question, sends the answer, and shows the
// feedback word by word. The session (a signed token from the server) is kept for the
// browser tab, so a reload goes on with the same score. Text from the server is only ever
// set as text, never as markup.
"use strict";

(function () {
  const element = (id) => document.getElementById(id);
  const STORE = "genra-session";

  // How each kind of word is named to a screen reader.
  const SAID = {
    right: "right",
    form: "wrong form",
    spelling: "misspelt",
    sound: "misspelt",
    related: "another word",
    wrong: "wrong word",
    extra: "not needed",
    missing: "a word is missing here",
  };

  let session = null;
  try {
    session = sessionStorage.getItem(STORE);
  } catch (e) {
    session = null;  // storage may be refused: the session then lives as long as the page
  }
  let busy = false;

  function keep(token) {
    session = token;
    try {
      sessionStorage.setItem(STORE, token);
    } catch (e) {
      // nothing to do: see above
    }
  }

  function say(text) {
    element("message").textContent = text;
  }

  function showScore(score) {
    element("score").textContent = "Score: " + score.right + " of " + score.asked;
  }

  async function call(path, body) {
    let response;
    try {
      response = await fetch(path, {
        method: "POST",
        headers: { "Content-Type": "application/json" },
        body: JSON.stringify(body),
      });
    } catch (e) {
      return { status: 0, data: { error: "The server cannot be reached: check the connection and try again." } };
    }
    let data = null;
    try {
      data = await response.json();
    } catch (e) {
      data = { error: "The server's answer could not be read: try again." };
    }
    return { status: response.status, data: data };
  }

  function ready(on) {
    element("answer").disabled = !on;
    element("check").disabled = !on;
  }

  async function nextQuestion() {
    if (busy) return;
    busy = true;
    say("");
    element("feedback").hidden = true;
    ready(false);
    let r = await call("/api/question", session ? { session: session } : {});
    if (r.status === 404) {  // the session has expired: a new one, from nought
      session = null;
      r = await call("/api/question", {});
    }
    busy = false;
    if (r.status !== 200) {  // the feedback's button asks again
      say((r.data.error || "No question came.") + " Press the button to try again.");
      element("question").textContent = "No question yet.";
      element("verdict").textContent = "";
      element("words").replaceChildren();
      element("problems").replaceChildren();
      element("good").hidden = true;
      element("feedback").hidden = false;
      element("next").focus();
      return;
    }
    keep(r.data.session);
    showScore(r.data.score);
    element("question").textContent = r.data.question;
    element("answer").value = "";
    ready(true);
    element("answer").focus();
  }

  function word(text, kind) {
    const span = document.createElement("span");
    span.className = "word " + (kind === "right" ? "right" : kind === "missing" ? "missing problem" : "problem");
    span.dataset.kind = kind;
    span.textContent = kind === "missing" ? "…" : text;
    const said = document.createElement("span");
    said.className = "hidden-text";
    said.textContent = " (" + (SAID[kind] || "not right") + ")";
    span.appendChild(said);
    return span;
  }

  function show(data) {
    keep(data.session);
    showScore(data.score);
    element("verdict").textContent = data.right ? "Right!" : "Not quite.";
    const words = element("words");
    words.replaceChildren(...data.words.map((w) => word(w.word, w.kind)));
    const problems = element("problems");
    problems.replaceChildren(...data.problems.map((p) => {
      const item = document.createElement("li");
      item.textContent = p.explanation;
      item.dataset.kind = p.kind;
      return item;
    }));
    element("good-answer").textContent = data.good_answer;
    element("good").hidden = data.right;
    element("feedback").hidden = false;
    ready(false);
    element("verdict").focus();
  }

  async function check(event) {
    event.preventDefault();
    if (busy || !session) return;
    const answer = element("answer").value;
    if (!answer.trim()) {
      say("Write your answer first.");
      element("answer").focus();
      return;
    }
    busy = true;
    say("");
    const r = await call("/api/answer", { session: session, answer: answer });
    busy = false;
    if (r.status === 200) {
      show(r.data);
    } else if (r.status === 404) {  // the session has expired: a new one, with a new question
      session = null;
      await nextQuestion();
      say((r.data.error || "This question has expired.") + " Here is a new question.");
    } else {
      // 413, 422, 429: the answer stays, to be corrected or sent again
      say(r.data.error || "The answer could not be checked: try again.");
      element("answer").focus();
    }
  }

  element("answer-form").addEventListener("submit", check);
  element("next").addEventListener("click", nextQuestion);
  // From the feedback, Enter anywhere but on a button goes on to the next question.
  element("feedback").addEventListener("keydown", (event) => {
    if (event.key === "Enter" && event.target.tagName !== "BUTTON") {
      event.preventDefault();
      nextQuestion();
    }
  });
  nextQuestion();
})();
