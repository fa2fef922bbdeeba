#!/usr/bin/env python3
"""The learner's page in a real browser (Debian's chromium, headless, through chromium-driver):
the page loads a question, one answer is right, one has a wrong form, a misspelling and a
missing word, and the feedback shown says so word by word; everything is done by keyboard
alone; the page fits a phone's width, its field has a label, and a screenshot is saved.

Usage: browser.py BUILD/genra SCREENSHOT.png
Exits 77 (skipped) only where chromium, its driver or selenium is not installed.
"""
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from common import SKIP, Server, check, finish, request  # noqa: E402

GENRA = os.path.abspath(sys.argv[1])
SHOT = os.path.abspath(sys.argv[2])

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    print("skipped: python3-selenium is not installed")
    sys.exit(SKIP)

CHROMIUM = shutil.which("chromium")
DRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"
if CHROMIUM is None or not os.path.exists(DRIVER):
    print("skipped: chromium or chromium-driver is not installed")
    sys.exit(SKIP)


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--no-proxy-server", "--disable-dev-shm-usage", "--user-data-dir=" + profile,
                 "--window-size=1000,900"]:
        options.add_argument(flag)
    return webdriver.Chrome(service=Service(DRIVER), options=options)


# Other forms of some words that do not take an ending.
SWAPS = {"man": "men", "men": "man", "woman": "women", "women": "woman", "child": "children", "children": "child",
         "saw": "see", "see": "saw", "ate": "eat", "eat": "ate", "is": "are", "are": "is", "was": "were",
         "were": "was", "has": "have", "have": "has", "had": "has", "does": "do", "do": "does", "did": "does"}


def flawed(port, session):
    """From the good answer of the question behind `session`, an answer with a wrong form, a
    misspelling and a missing word, each checked through the API (which answers on copies of
    the token, so the page's own question is still unanswered)."""
    _, _, reply = request(port, "POST", "/api/answer", {"session": session, "answer": "x"})
    good = reply["good_answer"]
    words = good.rstrip(".").split()

    def kinds(text):
        _, _, r = request(port, "POST", "/api/answer", {"session": session, "answer": text})
        return [(p["kind"], p["position"]) for p in r["problems"]]

    form = None
    for k in range(1, len(words)):
        w = words[k]
        for changed in [w + "s", w[:-1] if w.endswith("s") else None, w[:-2] if w.endswith("es") else None,
                        w + "es", w + "ing", SWAPS.get(w)]:
            if changed and ("form", k + 1) in kinds(" ".join(words[:k] + [changed] + words[k + 1:])):
                form = (k, changed)
                break
        if form:
            break
    if form is None:
        return good, None
    k, changed = form
    words[k] = changed
    # Then a word misspelt (a letter doubled, or in a short word changed), and the last word
    # left out: the first such answer the analysis tells as all three.
    for i in range(len(words) - 2, 0, -1):
        w = words[i]
        if i == k or len(w) < 3:
            continue
        for misspelt in [w[:2] + w[2] + w[2:], w[:-1] + ("x" if w[-1] != "x" else "z")]:
            answer = " ".join(words[:i] + [misspelt] + words[i + 1:-1]) + "."
            told = set(kind for kind, _ in kinds(answer))
            if "form" in told and told & {"spelling", "sound"} and "missing" in told:
                return good, answer
    return good, None


def main():
    profile = tempfile.mkdtemp(prefix="genra-browser-")
    server = Server(GENRA, "--workers", "2")
    driver = None
    try:
        try:
            driver = browser(profile)
        except Exception as e:  # noqa: BLE001 -- a browser that cannot start here is a skip, told
            print("skipped: chromium does not start here: %s" % str(e).splitlines()[0])
            sys.exit(SKIP)
        wait = WebDriverWait(driver, 20)
        driver.get("http://127.0.0.1:%d/" % server.port)
        wait.until(lambda d: d.find_element(By.ID, "question").text.endswith("?"))
        active = lambda: driver.switch_to.active_element  # noqa: E731
        check(active().get_attribute("id") == "answer", "the answer field has the focus at the start")
        label = driver.find_element(By.CSS_SELECTOR, "label[for='answer']").text
        check(label != "", "the answer field has a label: %r" % label)

        # The first question answered right, typed and sent with Enter.
        session = driver.execute_script("return sessionStorage.getItem('genra-session');")
        good, _ = flawed(server.port, session)
        active().send_keys(good.lower() + Keys.ENTER)
        wait.until(lambda d: d.find_element(By.ID, "verdict").text != "")
        check(driver.find_element(By.ID, "verdict").text == "Right!", "a right answer is told so")
        check(driver.find_element(By.ID, "score").text == "Score: 1 of 1", "the score counts it")
        marks = [e.get_attribute("data-kind") for e in driver.find_elements(By.CSS_SELECTOR, "#words .word")]
        check(marks and all(m == "right" for m in marks), "every word marked right: %s" % marks)

        # On by keyboard: Tab to the next-question button, Enter.
        check(active().get_attribute("id") == "verdict", "the feedback takes the focus")
        active().send_keys(Keys.TAB)
        check(active().get_attribute("id") == "next", "Tab reaches the next-question button")
        first = driver.find_element(By.ID, "question").text
        active().send_keys(Keys.ENTER)
        wait.until(lambda d: d.find_element(By.ID, "answer").is_enabled() and d.find_element(By.ID, "feedback").get_attribute("hidden"))
        check(active().get_attribute("id") == "answer", "the next question puts the focus back on the field")

        # The second with a wrong form, a misspelling and a missing word: a question for which
        # the test finds such an answer (reloading the page asks another, the score kept).
        for _ in range(6):
            session = driver.execute_script("return sessionStorage.getItem('genra-session');")
            good, answer = flawed(server.port, session)
            if answer:
                break
            driver.refresh()
            wait.until(lambda d: d.find_element(By.ID, "answer").is_enabled())
        check(answer is not None, "an answer with a wrong form could be made from %r" % good)
        if answer:
            active().send_keys(answer + Keys.ENTER)
            wait.until(lambda d: d.find_element(By.ID, "verdict").text != "")
            check(driver.find_element(By.ID, "verdict").text == "Not quite.", "a flawed answer is told so")
            check(driver.find_element(By.ID, "score").text == "Score: 1 of 2", "the score goes on: 1 of 2")
            problems = driver.find_elements(By.CSS_SELECTOR, "#problems li")
            kinds = [p.get_attribute("data-kind") for p in problems]
            texts = [p.text for p in problems]
            check("form" in kinds and ("spelling" in kinds or "sound" in kinds) and "missing" in kinds,
                  "the wrong form, the misspelling and the missing word are told: %s %s" % (kinds, texts))
            check(any("here the sentence needs" in t for t in texts) and any("missing after" in t for t in texts),
                  "in plain words: %s" % texts)
            check(all("(" not in t for t in texts), "no grammar codes: %s" % texts)
            check(driver.find_element(By.ID, "good-answer").text == good, "the good answer is shown")
            words = driver.find_elements(By.CSS_SELECTOR, "#words .word")
            check(words[-1].get_attribute("data-kind") == "missing", "the gap is shown in its place")
            said = [w.find_element(By.CSS_SELECTOR, ".hidden-text").get_attribute("textContent") for w in words]
            check(all(s.startswith(" (") for s in said), "each word says how it fared to a screen reader: %s" % said)

        # A phone's width: nothing wider than the screen.
        driver.set_window_size(380, 800)
        time.sleep(0.3)
        wide = driver.execute_script("return document.documentElement.scrollWidth;")
        inner = driver.execute_script("return window.innerWidth;")
        check(wide <= inner, "the page fits a phone's width: %s > %s" % (wide, inner))
        driver.set_window_size(1000, 900)
        os.makedirs(os.path.dirname(SHOT), exist_ok=True)
        check(driver.save_screenshot(SHOT), "a screenshot in " + SHOT)
        # Nothing the page asked for went elsewhere.
        hosts = driver.execute_script("return performance.getEntriesByType('resource').map(e => e.name);")
        check(all(h.startswith("http://127.0.0.1:%d/" % server.port) for h in hosts), "only this server: %s" % hosts)
    finally:
        if driver is not None:
            driver.quit()
        server.stop()
        shutil.rmtree(profile, ignore_errors=True)
    finish("browser")


if __name__ == "__main__":
    main()
